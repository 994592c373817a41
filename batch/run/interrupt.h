#pragma once

// Ctrl-C (SIGINT): the handler only records the request; the work stops at its next look, and
// the program prints what it finished (or nothing) and exits with status 130.

#include <atomic>

namespace korvale {

// Installs the handler; until then SIGINT keeps its default action.
void catchInterrupt();

// Whether SIGINT has come since catchInterrupt.
bool interruptRequested();

// The flag the handler sets, for work that takes a flag to call it off.
const std::atomic<bool>* interruptFlag();

// For tests: forget an earlier request.
void clearInterrupt();

}  // namespace korvale
