// The POSIX calls of the file layer, behind virtual functions: the seam through which a test fails any one of them.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace teilomat {

// Every call the POSIX file layer makes to the system goes through this
// table, so that a test can fail any step, even one whose failure the save
// only tolerates. Each call behaves exactly like the POSIX function of its
// name: it returns what that function returns and leaves its error in
// errno. A test derives from this class and overrides one call to fail at a
// chosen moment with a chosen errno; the other calls keep reaching the real
// file system. Cost: one indirect call beside each system call.
class FileCalls {
 public:
  virtual ~FileCalls() = default;

  // Descriptors.
  virtual int open(const char* path, int flags, mode_t mode);
  virtual ssize_t write(int fd, const void* data, size_t size);
  virtual int ftruncate(int fd, off_t length);
  virtual int fsync(int fd);
  virtual int close(int fd);
  virtual int dupfd(int fd);  // fcntl(fd, F_DUPFD_CLOEXEC, 0)
  virtual int flock(int fd, int operation);
  virtual int fstat(int fd, struct stat* info);
  virtual int fchown(int fd, uid_t owner, gid_t group);
  virtual int fchmod(int fd, mode_t mode);

  // Names.
  virtual int stat(const char* path, struct stat* info);
  virtual int lstat(const char* path, struct stat* info);
  virtual int access(const char* path, int mode);
  virtual ssize_t readlink(const char* path, char* buffer, size_t size);
  virtual int rename(const char* from, const char* to);
  virtual int unlink(const char* path);

  // Folders.
  virtual DIR* opendir(const char* path);
  virtual dirent* readdir(DIR* folder);
  virtual int closedir(DIR* folder);

  // The process.
  virtual uid_t geteuid();
  virtual int usleep(useconds_t microseconds);
  virtual ssize_t getrandom(void* buffer, size_t size, unsigned flags);
};

}  // namespace teilomat
