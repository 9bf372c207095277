// The English system message of each Windows error code this build produces, worded exactly as
// Windows words it, so that notes and message boxes read as they would there. Callable from any
// thread.
#pragma once
#include <string>

#include "platform/win_types.h"

namespace platform {

// The message for code without the line break Windows ends it with; empty when the system has no
// text for the code.
[[nodiscard]] std::wstring SystemErrorText(DWORD code);

}  // namespace platform
