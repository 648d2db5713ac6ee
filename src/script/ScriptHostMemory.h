#pragma once

// A script that exhausts the host's address space makes the engine fail in ways of
// its own: a std::bad_alloc, an abort, or a fault on memory it did not get. After
// this call each of them ends the host with ScriptHostOutOfMemory, so that the
// controller can say why the script stopped; other crashes stay what they are.
void ExitOnMemoryExhaustion();

// Forgets a failed allocation that the script recovered from.
void ForgetFailedAllocation();
