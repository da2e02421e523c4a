// The plain POSIX calls behind FileCalls.
#include "files/posix/FileCalls.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/random.h>
#include <unistd.h>

#include "files/FileReplacement.h"

namespace teilomat {

int FileCalls::open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
ssize_t FileCalls::write(int fd, const void* data, size_t size) { return ::write(fd, data, size); }
int FileCalls::ftruncate(int fd, off_t length) { return ::ftruncate(fd, length); }
int FileCalls::fsync(int fd) { return ::fsync(fd); }
int FileCalls::close(int fd) { return ::close(fd); }
int FileCalls::dupfd(int fd) { return ::fcntl(fd, F_DUPFD_CLOEXEC, 0); }
int FileCalls::flock(int fd, int operation) { return ::flock(fd, operation); }
int FileCalls::fstat(int fd, struct stat* info) { return ::fstat(fd, info); }
int FileCalls::fchown(int fd, uid_t owner, gid_t group) { return ::fchown(fd, owner, group); }
int FileCalls::fchmod(int fd, mode_t mode) { return ::fchmod(fd, mode); }

int FileCalls::stat(const char* path, struct stat* info) { return ::stat(path, info); }
int FileCalls::lstat(const char* path, struct stat* info) { return ::lstat(path, info); }
int FileCalls::access(const char* path, int mode) { return ::access(path, mode); }
ssize_t FileCalls::readlink(const char* path, char* buffer, size_t size) { return ::readlink(path, buffer, size); }
int FileCalls::rename(const char* from, const char* to) { return ::rename(from, to); }
int FileCalls::unlink(const char* path) { return ::unlink(path); }

DIR* FileCalls::opendir(const char* path) { return ::opendir(path); }
dirent* FileCalls::readdir(DIR* folder) { return ::readdir(folder); }
int FileCalls::closedir(DIR* folder) { return ::closedir(folder); }

uid_t FileCalls::geteuid() { return ::geteuid(); }
int FileCalls::usleep(useconds_t microseconds) { return ::usleep(microseconds); }
ssize_t FileCalls::getrandom(void* buffer, size_t size, unsigned flags) { return ::getrandom(buffer, size, flags); }

FileCalls& systemFileCalls() {
  static FileCalls calls;
  return calls;
}

}  // namespace teilomat
