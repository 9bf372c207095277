// CNNotifyWindow: where a worker thread posts its start and end notifications. The GUI implements
// it over a real window; the worker keeps a plain pointer, so the object must outlive the worker,
// while Exists tells whether the window behind it is still there. Post is called on the worker
// thread and must be safe from any thread, as posting a window message is.
#pragma once
#include <cstdint>

#include "platform/win_types.h"

class CNNotifyWindow {
 public:
  virtual ~CNNotifyWindow() = default;
  [[nodiscard]] virtual bool Exists() const = 0;
  virtual void Post(UINT message, std::uintptr_t wparam, std::intptr_t lparam) = 0;
};
