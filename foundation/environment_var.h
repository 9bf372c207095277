// Environment variables for the program's own use (TEMP and the like). Callable from any thread
// while no thread changes the environment.
#pragma once
#include <string>
#include <string_view>

// True and the value when the variable is set (its value may be empty); false with `value`
// unchanged when it is not.
[[nodiscard]] bool GetEnvVar(std::wstring_view name, std::wstring& value);

// The value, or an empty text when the variable is not set.
[[nodiscard]] std::wstring GetEnvVar(std::wstring_view name);
