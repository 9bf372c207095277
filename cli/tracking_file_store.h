// A file store that tells the interrupt handling which temporary file a save is writing, so that
// a forced exit (a second Ctrl-C) never leaves it behind. Forwards everything to the real store.
// Main thread (the document saves on it).
#pragma once
#include <cstddef>
#include <memory>
#include <string>

#include "platform/file_store.h"

class CliTrackingFileStore : public platform::FileStoreWrapper {
 public:
  explicit CliTrackingFileStore(platform::FileStore* target) : FileStoreWrapper(target) {}

  // Reads are not tracked: the target's own block read (a list read without a copy).
  bool ReadWholeFileBlock(const std::string& path, void** block, std::size_t* size) override {
    return target()->ReadWholeFileBlock(path, block, size);
  }

  std::unique_ptr<platform::WritableFile> CreateTemporary(const std::string& dir,
                                                          const std::string& prefix,
                                                          std::string* path) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool RenameNoReplace(const std::string& from, const std::string& to) override;
  bool Remove(const std::string& path) override;
};
