#pragma once

class TEntry;
class TProjectDb;

// Stores the entry's comment as the one comment of its URL, all or nothing.
void SaveComment(TProjectDb& db, const TEntry& entry);
