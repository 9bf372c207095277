// Environment variables in wide text. Names and values are converted losslessly
// (file_name_text.h). Any thread; the process environment must not be changed by another thread
// meanwhile (setenv is not thread-safe).
#pragma once
#include <string>
#include <string_view>

namespace platform {

// The variable's value (which may be empty on Linux). False with ERROR_ENVVAR_NOT_FOUND when it is
// not set or the name cannot name a variable (empty, or holding '='); `out` is then unchanged.
[[nodiscard]] bool GetEnvironmentVariable(std::wstring_view name, std::wstring& out);

// Replaces every %NAME% whose variable is set by the variable's value, as
// ExpandEnvironmentStrings does; a reference to an unset variable, an empty %% and a lone % stay
// as written. Values that are not valid UTF-8 keep their stray bytes as U+DC80..U+DCFF, the way
// file names do, so a path from the environment still names its file.
[[nodiscard]] std::wstring ExpandEnvironmentText(std::wstring_view text);

}  // namespace platform
