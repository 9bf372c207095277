// Environment variables in wide text. Names and values are converted losslessly
// (file_name_text.h). Callable from any thread while no thread changes the environment.
#pragma once
#include <string>
#include <string_view>

namespace platform {

// The variable's value (which may be empty on Linux). False with ERROR_ENVVAR_NOT_FOUND when it is
// not set or the name cannot name a variable (empty, or holding '='); `out` is then unchanged.
[[nodiscard]] bool GetEnvironmentVariable(std::wstring_view name, std::wstring& out);

}  // namespace platform
