// CNCmdTarget: an object that may carry out commands. The router asks the active view, its
// document, the active child frame, the main frame and the application in that order; the first
// that answers true owns the command, and a command nobody owns is shown disabled.
#pragma once
#include "document/cmd_state.h"
#include "platform/win_types.h"

class CNCmdTarget {
 public:
  virtual ~CNCmdTarget() = default;
  // Carries out id; false when this object does not handle it.
  virtual bool OnCommand(UINT /*id*/) { return false; }
  // Sets enabled, check mark and text of id; false (state untouched) when this object does not
  // handle it.
  virtual bool UpdateCommand(UINT /*id*/, CCmdState& /*state*/) { return false; }
};
