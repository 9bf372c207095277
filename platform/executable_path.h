// The path of the running program's executable file, as the system gives it.
#pragma once
#include <string>

namespace platform {

// Stores the absolute path of the running executable (native bytes, ready for open()) in path.
// On failure returns false, leaves path unchanged and sets the last error.
[[nodiscard]] bool ExecutablePath(std::string& path);

}  // namespace platform
