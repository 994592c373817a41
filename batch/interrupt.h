#pragma once

// Ctrl-C (SIGINT) during a run: the handler only records the request; the run stops at its
// next look, and the program prints what was played.

namespace korvale {

// Installs the handler; until then SIGINT keeps its default action.
void catchInterrupt();

// For work that cannot stop half-way (an exact solve): SIGINT clears the progress line on
// standard error and ends the program with status 130.
void exitOnInterruptClearingLine();

// Whether SIGINT has come since catchInterrupt.
bool interruptRequested();

// For tests: forget an earlier request.
void clearInterrupt();

}  // namespace korvale
