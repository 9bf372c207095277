// The Windows attribute bits of an item from its lstat result, by the table of design.md: the one
// place both the listing and PathExists take them from. Pure, any thread.
#pragma once
#include <sys/stat.h>

#include <string_view>

#include "platform/win_types.h"

namespace platform {

// name is the item's last path component: a name beginning with '.' is hidden, "." and ".."
// excepted. A symbolic link is a reparse point and never read-only; an item without the owner's
// write permission is read-only.
[[nodiscard]] DWORD AttributesFromStat(std::string_view name, const struct stat& st);

}  // namespace platform
