#include "platform/last_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

#include "platform/error_codes.h"

namespace {

struct ErrnoCase {
  int err;
  platform::ErrnoUse use;
  DWORD expected;
};

TEST(ErrorFromErrno, MapsTheCodesCallersExpect) {
  const ErrnoCase cases[] = {
      {0, platform::ErrnoUse::kGeneral, ERROR_SUCCESS},
      {ENOENT, platform::ErrnoUse::kGeneral, ERROR_FILE_NOT_FOUND},
      {ENOTDIR, platform::ErrnoUse::kGeneral, ERROR_PATH_NOT_FOUND},
      {EACCES, platform::ErrnoUse::kGeneral, ERROR_ACCESS_DENIED},
      {EPERM, platform::ErrnoUse::kRead, ERROR_ACCESS_DENIED},
      {EIO, platform::ErrnoUse::kRead, ERROR_READ_FAULT},
      {EIO, platform::ErrnoUse::kGeneral, ERROR_IO_DEVICE},
      {ENOSPC, platform::ErrnoUse::kGeneral, ERROR_DISK_FULL},
      {ENAMETOOLONG, platform::ErrnoUse::kGeneral, ERROR_FILENAME_EXCED_RANGE},
      {ELOOP, platform::ErrnoUse::kGeneral, ERROR_CANT_RESOLVE_FILENAME},
      {EROFS, platform::ErrnoUse::kGeneral, ERROR_WRITE_PROTECT},
      {EBUSY, platform::ErrnoUse::kGeneral, ERROR_SHARING_VIOLATION},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::ErrorFromErrno(c.err, c.use), c.expected) << "errno " << c.err;
  }
}

TEST(LastError, IsKeptPerThread) {
  platform::SetLastError(ERROR_ACCESS_DENIED);
  std::thread other([] {
    EXPECT_EQ(platform::LastError(), ERROR_SUCCESS);
    platform::SetLastError(ERROR_DISK_FULL);
  });
  other.join();
  EXPECT_EQ(platform::LastError(), ERROR_ACCESS_DENIED);
}

}  // namespace
