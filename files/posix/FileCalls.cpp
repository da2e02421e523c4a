// The plain POSIX calls behind FileCalls.
#include "commands/FileCalls.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace teilomat {

int FileCalls::open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
ssize_t FileCalls::write(int fd, const void* data, size_t size) { return ::write(fd, data, size); }
int FileCalls::ftruncate(int fd, off_t length) { return ::ftruncate(fd, length); }
int FileCalls::fsync(int fd) { return ::fsync(fd); }
int FileCalls::close(int fd) { return ::close(fd); }
int FileCalls::rename(const char* from, const char* to) { return ::rename(from, to); }
int FileCalls::unlink(const char* path) { return ::unlink(path); }

FileCalls& FileCalls::system() {
  static FileCalls calls;
  return calls;
}

}  // namespace teilomat
