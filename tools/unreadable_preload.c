/* Loaded with LD_PRELOAD into the desktop program by scripts/gui_screenshots.sh, which runs as root
   on the build machines, where permission bits never stop a read: every open of a path ending in
   ".unreadable" fails with EACCES (openat2 through syscall() too), as an unreadable file (or,
   opened as a directory, an unlistable one) would. Everything else is passed on. The tests inject
   such faults in-process instead (tests/support/fault_file_system.h). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <string.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

static int IsUnreadable(const char* path) {
  static const char kSuffix[] = ".unreadable";
  size_t length = path != NULL ? strlen(path) : 0;
  while (length > 0 && path[length - 1] == '/') --length; /* a directory given as "dir/" */
  return length >= sizeof kSuffix - 1 &&
         memcmp(path + length - (sizeof kSuffix - 1), kSuffix, sizeof kSuffix - 1) == 0;
}

typedef int (*OpenFunction)(const char*, int, ...);
typedef int (*OpenAtFunction)(int, const char*, int, ...);

static int Forward(const char* name, const char* path, int flags, mode_t mode) {
  if (IsUnreadable(path)) {
    errno = EACCES;
    return -1;
  }
  OpenFunction next = (OpenFunction)dlsym(RTLD_NEXT, name);
  return next(path, flags, mode);
}

static int ForwardAt(const char* name, int dir, const char* path, int flags, mode_t mode) {
  if (IsUnreadable(path)) {
    errno = EACCES;
    return -1;
  }
  OpenAtFunction next = (OpenAtFunction)dlsym(RTLD_NEXT, name);
  return next(dir, path, flags, mode);
}

#define MODE_ARGUMENT(flags, mode)         \
  mode_t mode = 0;                         \
  if ((flags) & (O_CREAT | __O_TMPFILE)) { \
    va_list args;                          \
    va_start(args, flags);                 \
    mode = va_arg(args, mode_t);           \
    va_end(args);                          \
  }

int open(const char* path, int flags, ...) {
  MODE_ARGUMENT(flags, mode)
  return Forward("open", path, flags, mode);
}
int open64(const char* path, int flags, ...) {
  MODE_ARGUMENT(flags, mode)
  return Forward("open64", path, flags, mode);
}
int openat(int dir, const char* path, int flags, ...) {
  MODE_ARGUMENT(flags, mode)
  return ForwardAt("openat", dir, path, flags, mode);
}
int openat64(int dir, const char* path, int flags, ...) {
  MODE_ARGUMENT(flags, mode)
  return ForwardAt("openat64", dir, path, flags, mode);
}

typedef long (*SyscallFunction)(long, ...);

long syscall(long number, ...) {
  /* Every system call takes at most six word-sized arguments. */
  va_list args;
  va_start(args, number);
  long a[6];
  for (int i = 0; i < 6; ++i) a[i] = va_arg(args, long);
  va_end(args);
  if (number == SYS_openat2 && IsUnreadable((const char*)a[1])) {
    errno = EACCES;
    return -1;
  }
  SyscallFunction next = (SyscallFunction)dlsym(RTLD_NEXT, "syscall");
  return next(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}
