#pragma once
// Internal consistency errors of the search. They are not fatal: each is
// reported as "HB code %d\n" to whatever sink the front end installs (the
// game log) and remembered so that tests and callers can look at them.
#include <cstdint>

namespace halberd::board {

// Error codes raised by the search.
constexpr int ErrorImplausibleHashMove = 3456;
constexpr int ErrorSearchBoardChanged = 333;

// Receives the formatted line "HB code %d\n".
using DiagnosticSink = void (*)(const char* line);

// Reports an internal error: counted, remembered and passed to the sink.
void internalErrorCode(int code);
// Installs the sink (nullptr: reports are only counted).
void setDiagnosticSink(DiagnosticSink sink);

std::uint64_t internalErrorCount();
// The last code reported, 0 when none.
int lastInternalErrorCode();
void clearInternalErrors();

}  // namespace halberd::board
