#include "engine/checksum_job_batch.h"

#include <utility>

#include "platform/error_codes.h"
#include "platform/file_name_text.h"
#include "platform/last_error.h"

void ChecksumJobBatch::Add(const SharedText& base_dir, const SharedText& rel_dir,
                           const std::wstring& name, const char* key, ULONGLONG size,
                           ULONGLONG scan_time) {
  Directory& directory = directory_;
  if (!directory.native || !base_dir.SameObject(directory.base) ||
      !rel_dir.SameObject(directory.rel)) {
    directory.base = base_dir;
    directory.rel = rel_dir;
    std::string native;
    std::string native_base;
    // Names convert character by character, so the base's native form begins the whole one.
    const bool converted = platform::FileNameFromWide(base_dir.str() + rel_dir.str(), native) &&
                           platform::FileNameFromWide(base_dir.view(), native_base) &&
                           native.starts_with(native_base);
    directory.base_length = converted ? native_base.size() : 0;
    directory.native = converted ? std::make_shared<const std::string>(std::move(native)) : nullptr;
  }
  std::string native_name;
  std::unique_ptr<ChecksumJob> job;
  if (directory.native && platform::FileNameFromWide(name, native_name)) {
    job = std::make_unique<ChecksumJob>(directory.native, std::move(native_name), key, size);
    job->base_length = directory.base_length;
    job->SetScanState(size, scan_time);
  } else {
    // No file on disk can carry this path; the conversion of the whole path says why.
    std::wstring path;
    path.reserve(base_dir.size() + rel_dir.size() + name.size());
    path.append(base_dir.str()).append(rel_dir.str()).append(name);
    std::string unused;
    const DWORD error =
        platform::FileNameFromWide(path, unused) ? ERROR_INVALID_NAME : platform::LastError();
    job = std::make_unique<ChecksumJob>(std::move(path), error != 0 ? error : ERROR_INVALID_NAME,
                                        key, size);
  }
  bytes_ += job->size;
  jobs_.push_back(std::move(job));
}

ChecksumJobBatch::Jobs ChecksumJobBatch::TakeJobs() {
  Jobs jobs;
  jobs.swap(jobs_);
  bytes_ = 0;
  directory_ = Directory();
  return jobs;
}
