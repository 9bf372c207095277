// Environment variables in wide text. Any thread; the process environment must not be changed
// by another thread meanwhile (setenv is not thread-safe).
#pragma once
#include <string>
#include <string_view>

namespace platform {

// Replaces every %NAME% whose variable is set by the variable's value, as
// ExpandEnvironmentStrings does; a reference to an unset variable, an empty %% and a lone % stay
// as written. Values that are not valid UTF-8 keep their stray bytes as U+DC80..U+DCFF, the way
// file names do, so a path from the environment still names its file.
[[nodiscard]] std::wstring ExpandEnvironmentText(std::wstring_view text);

}  // namespace platform
