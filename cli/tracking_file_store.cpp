#include "cli/tracking_file_store.h"

#include "cli/interrupt.h"

std::unique_ptr<platform::WritableFile> CliTrackingFileStore::CreateTemporary(
    const std::string& dir, const std::string& prefix, std::string* path) {
  std::unique_ptr<platform::WritableFile> file =
      FileStoreWrapper::CreateTemporary(dir, prefix, path);
  if (file) TrackTemporaryFile(path->c_str());
  return file;
}

bool CliTrackingFileStore::Rename(const std::string& from, const std::string& to) {
  // Once renamed, the temporary name may belong to somebody else's file: stop tracking first. A
  // forced exit in between leaves a complete temporary file, never a damaged list.
  ForgetTemporaryFile();
  const bool renamed = FileStoreWrapper::Rename(from, to);
  if (!renamed) TrackTemporaryFile(from.c_str());
  return renamed;
}

bool CliTrackingFileStore::RenameNoReplace(const std::string& from, const std::string& to) {
  ForgetTemporaryFile();  // as Rename
  const bool renamed = FileStoreWrapper::RenameNoReplace(from, to);
  if (!renamed) TrackTemporaryFile(from.c_str());
  return renamed;
}

bool CliTrackingFileStore::Remove(const std::string& path) {
  const bool removed = FileStoreWrapper::Remove(path);
  ForgetTemporaryFile();
  return removed;
}
