// The computer's name: the host name as the system reports it (gethostname), as wide text.
#pragma once
#include <string>

namespace platform {

// Stores the host name in name, decoded from UTF-8 (an invalid byte becomes U+FFFD). On failure
// returns false, leaves name unchanged and sets the last error.
[[nodiscard]] bool HostName(std::wstring& name);

}  // namespace platform
