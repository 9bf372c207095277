// Where the registry lives and how it is kept: the file $XDG_CONFIG_HOME/vemo/registry.reg
// (default ~/.config/vemo/registry.reg; a relative XDG_CONFIG_HOME is ignored, as the XDG rules
// say), in the layout of registry_text.h.
//
// - Reads take the file as it is now; an unchanged file is not parsed again.
// - Every change holds an exclusive flock on registry.lock beside the file, re-reads the file,
//   applies the change and replaces the file atomically (temporary file, fsync, rename, fsync of
//   the directory). Two processes writing at once keep each other's values.
// - A file with damaged lines is reported once (path, lines, backup) and copied beside itself as
//   registry.reg.damaged (or .damaged-2, ...) before anything replaces it; the lines that could
//   be read are used. The backup is the memory across runs: damage whose backup already exists
//   was reported when that was made. When no backup can be made, the damage is reported by every
//   process that meets it and changes fail (the damaged file is never overwritten silently).
// - Only a regular file of at most 16 MiB is read, opened without waiting (O_NONBLOCK): a FIFO, a
//   device or a directory in its place, or a larger file, fails the read and every change, so
//   the defaults apply and nothing is written over it. No call blocks on what the user put there.
// - A missing directory is created (mode 0700) by the first change; reads then see no keys.
//
// Any thread may call these. Failures return false or null and leave the Windows error code as
// the thread's last error.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "platform/registry_tree.h"

namespace platform {

// The store file's path as it would be used now.
[[nodiscard]] std::string RegistryStorePath();

// Receives the one-line report of a damaged store (UTF-8; it names the file, the damaged lines
// and the backup). Called on whichever thread found the damage, at most once per damaged content
// per process. Null restores the default, which writes the report to standard error.
void SetRegistryDamageReporter(std::function<void(const std::string& report)> reporter);

namespace registry_detail {

// The registry as stored now, or null when the file cannot be read (last error set). A missing
// file or directory is an empty registry.
[[nodiscard]] std::shared_ptr<const RegistryTree> ReadRegistry();

// Applies change to the freshly read registry under the store's lock and writes the result when
// it differs. change returns false (with the last error set) to write nothing and fail.
[[nodiscard]] bool ModifyRegistry(const std::function<bool(RegistryTree&)>& change);

}  // namespace registry_detail
}  // namespace platform
