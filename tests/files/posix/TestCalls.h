// The POSIX side of the file layer's tests: the steps found among the system calls, the failures' numbers, a killed
// save.
#pragma once

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

#include "files/Replacing.h"
#include "files/posix/FileCalls.h"

namespace teilomat::filetest {

constexpr int numberOf(Failure failure) {
  switch (failure) {
    case Failure::Io: return EIO;
    case Failure::DiskFull: return ENOSPC;
    case Failure::TooManyFiles: return EMFILE;
    case Failure::Busy: return EBUSY;
    case Failure::Held: return EWOULDBLOCK;
  }
  return 0;
}

inline std::string systemText(int number) { return std::system_category().message(number); }

// Fails the `at`-th call of one step (at 0: every call of it) with `error`;
// every other call reaches the file system. In a closed folder no temporary
// may be made (EACCES). A failing close still closes, as POSIX close does.
// No wait for a lock is real. Every step is a POSIX one.
struct FailingCalls : FileCalls {
  Step step;
  int at;
  int error;
  bool closedFolder;
  int calls = 0;
  std::size_t written = 0;
  FailingCalls(Step s, int k, int e, bool closed = false) : step(s), at(k), error(e), closedFolder(closed) {}
  static bool reaches(Step, bool) { return true; }
  bool failsNow(Step s) { return s != Step::None && s == step && (++calls == at || at == 0); }
  int failed() {
    errno = error;
    return -1;
  }
  // The clean-up's and the folder's opens read only.
  int open(const char* p, int f, mode_t m) override {
    if ((f & O_CREAT) != 0 && closedFolder) return errno = EACCES, -1;
    const Step s = (f & O_ACCMODE) == O_RDONLY ? Step::None : (f & O_CREAT) != 0 ? Step::Create : Step::InPlaceOpen;
    return failsNow(s) ? failed() : FileCalls::open(p, f, m);
  }
  ssize_t write(int fd, const void* d, size_t n) override {
    const ssize_t result = failsNow(Step::Write) ? failed() : FileCalls::write(fd, d, n);
    written += static_cast<std::size_t>(std::max<ssize_t>(result, 0));
    return result;
  }
  int ftruncate(int fd, off_t n) override { return failsNow(Step::Empty) ? failed() : FileCalls::ftruncate(fd, n); }
  int fsync(int fd) override { return failsNow(Step::Flush) ? failed() : FileCalls::fsync(fd); }
  int close(int fd) override {
    const int result = FileCalls::close(fd);
    return failsNow(Step::Close) ? failed() : result;
  }
  int rename(const char* a, const char* b) override {
    return failsNow(Step::Replace) ? failed() : FileCalls::rename(a, b);
  }
  int lstat(const char* p, struct stat* s) override {
    return failsNow(Step::Follow) ? failed() : FileCalls::lstat(p, s);
  }
  int stat(const char* p, struct stat* s) override { return failsNow(Step::Look) ? failed() : FileCalls::stat(p, s); }
  int fstat(int fd, struct stat* s) override {
    return failsNow(Step::InPlaceLook) ? failed() : FileCalls::fstat(fd, s);
  }
  int dupfd(int fd) override { return failsNow(Step::KeepLocked) ? failed() : FileCalls::dupfd(fd); }
  int flock(int fd, int o) override { return failsNow(Step::Held) ? failed() : FileCalls::flock(fd, o); }
  int usleep(useconds_t) override { return 0; }
};

// Kills the process at its third write, as SIGKILL would from outside.
struct DyingCalls : FileCalls {
  int writes = 0;
  ssize_t write(int fd, const void* d, size_t n) override {
    if (++writes == 3) ::kill(::getpid(), SIGKILL);
    return FileCalls::write(fd, d, n);
  }
};
inline auto killed() { return ::testing::KilledBySignal(SIGKILL); }

// Flushing only slows a race in the names down.
struct NoFlushCalls : FileCalls {
  int fsync(int) override { return 0; }
};

// A temporary as a running save holds it, locked, until the result is dropped.
inline std::shared_ptr<void> holdTemporary(const fs::path& name) {
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
  ::flock(fd, LOCK_EX);
  return {nullptr, [fd](void*) { ::close(fd); }};
}

}  // namespace teilomat::filetest
