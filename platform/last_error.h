// The calling thread's last error, as the Windows convention has it: a failing operation returns
// false, null or empty and leaves its Windows error code here. errno becomes a Windows code only in
// ErrorFromErrno, so every layer sees the same mapping.
#pragma once
#include "platform/win_types.h"

namespace platform {

// What the failing call was doing; EIO means a read fault for reads and a device error otherwise.
enum class ErrnoUse { kGeneral, kRead };

[[nodiscard]] DWORD LastError();
void SetLastError(DWORD code);

// Maps an errno value to the Windows error code callers expect (ENOENT 2, EACCES 5, ENOSPC 112
// ...).
[[nodiscard]] DWORD ErrorFromErrno(int err, ErrnoUse use = ErrnoUse::kGeneral);

// Convenience for the common path: maps errno and stores it as the last error; returns the code.
DWORD SetLastErrorFromErrno(int err, ErrnoUse use = ErrnoUse::kGeneral);

}  // namespace platform
