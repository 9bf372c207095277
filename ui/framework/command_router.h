// CNCommandRouter: finds the object that owns a command. The application's router asks, in this
// order, the active view, its document, the active child frame, the main frame and the
// application; the first that answers true owns the command. User-interface thread only.
#pragma once
#include "document/cmd_state.h"
#include "platform/win_types.h"

class CNCommandRouter {
 public:
  virtual ~CNCommandRouter() = default;
  // Carries out id through the first target that handles it; false when none does.
  virtual bool RouteCommand(UINT id) = 0;
  // Lets the first target that handles id set state; false (state untouched) when none does.
  virtual bool RouteUpdateCommand(UINT id, CCmdState& state) = 0;
};
