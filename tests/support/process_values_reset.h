// Puts every process-wide value back to its start-up value, so that no test sees what an earlier
// one toggled (filters, tolerances, freeze, the first-new-document prompt).
#pragma once
#include "foundation/process_values.h"

namespace vemo_test {

inline void ResetProcessValues() {
  Gridlines = 1;
  FollowScan = 0;
  ShowFlags = 63;
  TolTZShift = 1;
  Tol2Seconds = 1;
  TolARAttrOnCD = 1;
  WebPage.clear();
  FreezeScans = 0;
  ShutdownPending = 0;
  SkipBaseDirPrompt = 1;
}

}  // namespace vemo_test
