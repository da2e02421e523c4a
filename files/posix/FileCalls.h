// The POSIX file calls of the save, behind virtual functions so that a test can fail any one of them.
#pragma once

#include <sys/types.h>

namespace teilomat {

// Each call behaves exactly like the POSIX function of its name: it returns
// what that function returns and leaves its error in errno. A test derives
// from this class and overrides one call to fail at a chosen moment with a
// chosen errno; the other calls keep reaching the real file system.
class FileCalls {
 public:
  virtual ~FileCalls() = default;

  virtual int open(const char* path, int flags, mode_t mode);
  virtual ssize_t write(int fd, const void* data, size_t size);
  virtual int ftruncate(int fd, off_t length);
  virtual int fsync(int fd);
  virtual int close(int fd);
  virtual int rename(const char* from, const char* to);
  virtual int unlink(const char* path);

  // The plain POSIX calls, shared by every save of the program.
  static FileCalls& system();
};

}  // namespace teilomat
