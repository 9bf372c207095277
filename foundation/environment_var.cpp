#include "foundation/environment_var.h"

#include "platform/environment.h"

bool GetEnvVar(std::wstring_view name, std::wstring& value) {
  return platform::GetEnvironmentVariable(name, value);
}

std::wstring GetEnvVar(std::wstring_view name) {
  std::wstring value;
  (void)GetEnvVar(name, value);  // unset leaves it empty
  return value;
}
