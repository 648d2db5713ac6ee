#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TProjectDb;

// Which entry URLs are listed under which category, as the last category crawl found.
void DeleteCategoryMemberships(TProjectDb& db);
void InsertCategoryMemberships(TProjectDb& db, std::int32_t categoryId,
                               const std::vector<std::string>& urls);
// Removes every membership whose category is not one of keptIds.
void DeleteCategoryMembershipsExcept(TProjectDb& db, const std::vector<std::int32_t>& keptIds);
