#include "engine/checksum_job_batch.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>

#include "platform/error_codes.h"
#include "platform/file_name_text.h"
#include "platform/last_error.h"

ChecksumJobBatch::~ChecksumJobBatch() = default;

void ChecksumJobBatch::Add(const SharedText& base_dir, const SharedText& rel_dir,
                           const std::wstring& name, const char* key, ULONGLONG size,
                           ULONGLONG scan_time) {
  // Listed and newly found files of one directory hold different texts of it, and alternate.
  const bool same_directory = !directories_.empty() &&
                              (base_dir.SameObject(base_) || base_dir.str() == base_.str()) &&
                              (rel_dir.SameObject(rel_) || rel_dir.str() == rel_.str());
  if (!same_directory) {
    base_ = base_dir;
    rel_ = rel_dir;
    std::string native;
    std::string native_base;
    // Names convert character by character, so the base's native form begins the whole one.
    const bool converted = platform::FileNameFromWide(base_dir.str() + rel_dir.str(), native) &&
                           platform::FileNameFromWide(base_dir.view(), native_base) &&
                           native.starts_with(native_base);
    Directory directory;
    directory.base_length = converted ? native_base.size() : 0;
    directory.native = converted ? std::make_shared<const std::string>(std::move(native)) : nullptr;
    if (key != nullptr) directory.first_key = key;
    directories_.push_back(std::move(directory));
  }
  const Directory& directory = directories_.back();
  std::string native_name;
  if (!directory.native || !platform::FileNameFromWide(name, native_name)) {
    // No file on disk can carry this path; the conversion of the whole path says why.
    std::wstring path;
    path.reserve(base_dir.size() + rel_dir.size() + name.size());
    path.append(base_dir.str()).append(rel_dir.str()).append(name);
    std::string unused;
    const DWORD error =
        platform::FileNameFromWide(path, unused) ? ERROR_INVALID_NAME : platform::LastError();
    AddWholeJob(std::make_unique<ChecksumJob>(std::move(path),
                                              error != 0 ? error : ERROR_INVALID_NAME, key, size));
    return;
  }
  const std::string_view first_key = directory.first_key;
  std::size_t shared = 0;
  if (key != nullptr) {
    while (shared < first_key.size() && key[shared] == first_key[shared]) ++shared;
  }
  const std::size_t rest = key != nullptr ? std::strlen(key + shared) : 0;
  const std::size_t bytes = native_name.size() + 1 + rest + 1;
  // A null key, a name with a NUL in it or texts larger than a block do not fit the compact form.
  if (key == nullptr || native_name.find('\0') != std::string::npos || bytes > kTextBlock) {
    auto job = std::make_unique<ChecksumJob>(directory.native, std::move(native_name), key, size);
    job->base_length = directory.base_length;
    job->SetScanState(size, scan_time);
    AddWholeJob(std::move(job));
    return;
  }
  File file{};
  char* text = TextRoom(bytes, &file.text);
  std::memcpy(text, native_name.data(), native_name.size());
  text[native_name.size()] = '\0';
  std::memcpy(text + native_name.size() + 1, key + shared, rest + 1);
  file.size = size;
  file.time = scan_time;
  file.directory = static_cast<std::uint32_t>(directories_.size() - 1);
  file.key_shared = static_cast<std::uint32_t>(shared);
  AppendFile(file);
  bytes_ += size;
}

void ChecksumJobBatch::AddWholeJob(std::unique_ptr<ChecksumJob> job) {
  File file{};
  file.text = whole_jobs_.size();
  file.size = job->size;
  file.directory = kWholeJob;
  whole_jobs_.push_back(std::move(job));
  AppendFile(file);
  bytes_ += file.size;
}

void ChecksumJobBatch::AppendFile(const File& file) {
  if (count_ % kFilesPerBlock == 0 && count_ / kFilesPerBlock == file_blocks_.size()) {
    file_blocks_.push_back(std::unique_ptr<File[]>(new File[kFilesPerBlock]));
  }
  file_blocks_[count_ / kFilesPerBlock][count_ % kFilesPerBlock] = file;
  ++count_;
}

char* ChecksumJobBatch::TextRoom(std::size_t bytes, std::uint64_t* position) {
  if (kTextBlock - text_used_ < bytes) {
    text_blocks_.push_back(std::unique_ptr<char[]>(new char[kTextBlock]));
    text_used_ = 0;
  }
  const std::size_t block = text_blocks_.size() - 1;
  *position = std::uint64_t{block} * kTextBlock + text_used_;
  char* room = text_blocks_[block].get() + text_used_;
  text_used_ += bytes;
  return room;
}

ULONGLONG ChecksumJobBatch::SizeAt(std::size_t index) const { return FileAt(index).size; }

std::unique_ptr<ChecksumJob> ChecksumJobBatch::TakeJob(std::size_t index) {
  const File& file = FileAt(index);
  if (file.directory == kWholeJob) return std::move(whole_jobs_[file.text]);
  const Directory& directory = directories_[file.directory];
  const char* name = text_blocks_[file.text / kTextBlock].get() + file.text % kTextBlock;
  const std::size_t name_length = std::strlen(name);
  const char* rest = name + name_length + 1;
  const std::size_t rest_length = std::strlen(rest);
  char* key = static_cast<char*>(std::malloc(file.key_shared + rest_length + 1));
  if (key == nullptr) throw std::bad_alloc();
  std::memcpy(key, directory.first_key.data(), file.key_shared);
  std::memcpy(key + file.key_shared, rest, rest_length + 1);
  auto job = std::make_unique<ChecksumJob>(directory.native, std::string(name, name_length),
                                           LookupKey::Adopt(key), file.size);
  job->base_length = directory.base_length;
  job->SetScanState(file.size, file.time);
  return job;
}
