// The boundary where a failed allocation stops: a command or an idle step that runs out of memory
// ends with the system's "not enough memory" message instead of an exception that would cross the
// toolkit's event loop (which cannot carry one) and end the program with the user's work.
#pragma once
#include <new>
#include <utility>

// Shows the system's text for ERROR_NOT_ENOUGH_MEMORY in an error box; quietly gives up when even
// that cannot be shown.
void ReportOutOfMemory() noexcept;

// Runs body and returns its result; on std::bad_alloc reports it and returns fallback.
template <class Body, class Result>
Result RunGuardingMemory(Body&& body, Result fallback) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (const std::bad_alloc&) {
    ReportOutOfMemory();
    return fallback;
  }
}
