// The atomic replacement of a file by a temporary beside it, and its rewrite in place where no temporary may be made.
#include "commands/FileReplacement.h"

#include <cerrno>
#include <random>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace teilomat {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTemporarySuffix = ".tmp";
constexpr std::size_t kRandomLetters = 6;
constexpr int kMaxSymlinkHops = 40;  // as the kernel's own limit before ELOOP

// The error of the failed call, or EIO when the call left errno unset.
int lastError() { return errno != 0 ? errno : EIO; }

fs::path folderOf(const fs::path& file) {
  return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

// "." + name + ".", the start of every temporary of `name`.
std::string temporaryHead(const std::string& name) {
  std::string head(1, '.');
  head += name;
  head += '.';
  return head;
}

std::string randomLetters() {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device device;
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
  std::string letters;
  for (std::size_t i = 0; i < kRandomLetters; ++i) letters += kLetters[pick(device)];
  return letters;
}

// Two saves may share a folder, and open() cannot create and lock a file in
// one step. So a temporary is claimed by the lock, and the name is checked
// under it on both sides:
// - the clean-up below removes a temporary only while it holds the lock and
//   the name still leads to the file it locked;
// - a writer, once it holds the lock on its new temporary, checks that the
//   name still leads to its file (stillNamed); if a clean-up took it in the
//   moment between, the writer makes another.
// A writer keeps the lock until its temporary is renamed or removed, and the
// lock dies with the process, so a killed save's leftover is removed by the
// next save however young it is; no clock is trusted.
bool stillNamed(int fd, const fs::path& name) {
  struct stat held {}, named {};
  return ::fstat(fd, &held) == 0 && ::lstat(name.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
         held.st_ino == named.st_ino;
}

// Removes the temporaries of `name` in `folder` that no writer holds.
void removeStaleTemporaries(const fs::path& folder, const std::string& name) {
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (!FileReplacement::isTemporaryOf(it->path().filename().string(), name)) continue;
    const int fd = ::open(it->path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && stillNamed(fd, it->path())) ::unlink(it->path().c_str());
    ::close(fd);
  }
}

// Takes the lock, waiting out a signal. A file system without flock gives
// no lock to the clean-up either, which then removes nothing.
void lockAgainstCleanUp(int fd) {
  while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
  }
}

// Whether a save rewriting in place may take the target's lock within about
// two seconds. Two such saves of one file would interleave their bytes; a
// lock held longer (by another program) is reported as EWOULDBLOCK rather
// than freezing the window. Without flock on the file system: no lock.
int lockInPlace(int fd) {
  for (int tries = 0;; ++tries) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return 0;
    if (tries == 200) return EWOULDBLOCK;
    ::usleep(10000);
  }
}

// Makes the rename itself durable; some file systems refuse fsync on a
// folder, and the content is complete either way.
void syncFolder(const fs::path& folder, FileCalls& calls) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  calls.fsync(fd);
  ::close(fd);
}

}  // namespace

FileReplacement::FileReplacement(fs::path target, FileCalls& calls)
    : target_(std::move(target)), calls_(calls) {}

FileReplacement::~FileReplacement() { fail(0); }

bool FileReplacement::isTemporaryOf(const std::string& entry, const std::string& name) {
  const std::string head = temporaryHead(name);
  const std::string tail = kTemporarySuffix;
  return entry.size() == head.size() + kRandomLetters + tail.size() && entry.starts_with(head) &&
         entry.ends_with(tail);
}

int FileReplacement::begin() {
  if (const int error = resolveTarget()) return error;
  if (const int error = checkTarget()) return error;
  removeStaleTemporaries(folderOf(target_), target_.filename().string());
  const int error = createTemporary();
  if ((error == EACCES || error == EPERM) && replacesFile_) return openInPlace();
  return error;
}

// Follows symbolic links in the last part of the name, so that the rename
// replaces the file a link points to rather than the link.
int FileReplacement::resolveTarget() {
  for (int hops = 0;; ++hops) {
    struct stat info {};
    if (::lstat(target_.c_str(), &info) != 0) return errno == ENOENT ? 0 : lastError();
    if (!S_ISLNK(info.st_mode)) return 0;
    if (hops == kMaxSymlinkHops) return ELOOP;
    std::error_code error;
    const fs::path link = fs::read_symlink(target_, error);
    if (error) return error.value();
    target_ = link.is_absolute() ? link : folderOf(target_) / link;
  }
}

// A rename succeeds over any file in a writable folder; the checks here keep
// the refusals that writing into the file itself would have met.
int FileReplacement::checkTarget() {
  struct stat info {};
  if (::stat(target_.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return EISDIR;
    if (!S_ISREG(info.st_mode)) return EINVAL;
    if ((info.st_mode & 0222) == 0) return EACCES;
    if (::access(target_.c_str(), W_OK) != 0) return lastError();
    replacesFile_ = true;
    mode_ = info.st_mode & 07777;
    owner_ = info.st_uid;
    group_ = info.st_gid;
  } else if (errno != ENOENT) {
    return lastError();
  }
  struct stat folder {};
  if (::stat(folderOf(target_).c_str(), &folder) != 0) return lastError();
  if (!S_ISDIR(folder.st_mode)) return ENOTDIR;
  // Root may write into any folder; one without any write bit is taken as
  // closed all the same. In a sticky folder only the file's or the folder's
  // owner may rename over the file.
  const uid_t user = ::geteuid();
  folderClosed_ = (folder.st_mode & 0222) == 0 ||
                  (replacesFile_ && (folder.st_mode & S_ISVTX) != 0 && user != 0 && user != owner_ &&
                   user != folder.st_uid);
  return 0;
}

int FileReplacement::createTemporary() {
  if (folderClosed_) return EACCES;
  const std::string head = temporaryHead(target_.filename().string());
  for (int attempt = 0; attempt < 100 && temporary_.empty(); ++attempt) {
    const fs::path candidate = folderOf(target_) / (head + randomLetters() + kTemporarySuffix);
    errno = 0;
    fd_ = calls_.open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, replacesFile_ ? 0600 : 0666);
    if (fd_ < 0) {
      if (errno != EEXIST) return lastError();
      continue;
    }
    lockAgainstCleanUp(fd_);
    if (stillNamed(fd_, candidate)) {
      temporary_ = candidate;
    } else {
      ::close(std::exchange(fd_, -1));  // removed by another save's clean-up
    }
  }
  if (fd_ < 0) return EEXIST;
  if (replacesFile_) passOnOwnership();
  return 0;
}

// Root hands the new file to the old owner and group. Anyone else may give
// it only a group of their own: the old group is kept when the user belongs
// to it, so that a shared file's group may still write it; otherwise the
// file has the user's group. The mode follows, as fchown clears set-id bits.
void FileReplacement::passOnOwnership() {
  struct stat made {};
  if (::fstat(fd_, &made) == 0 && (made.st_uid != owner_ || made.st_gid != group_) &&
      ::fchown(fd_, owner_, group_) != 0) {
    (void)::fchown(fd_, static_cast<uid_t>(-1), group_);
  }
  ::fchmod(fd_, mode_);
}

// The file itself, opened without following a link (the target is resolved)
// and without blocking on a pipe swapped in since the check.
int FileReplacement::openInPlace() {
  errno = 0;
  fd_ = calls_.open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0);
  if (fd_ < 0) return fail(lastError());
  inPlace_ = true;
  struct stat info {};
  if (::fstat(fd_, &info) != 0) return fail(lastError());
  if (!S_ISREG(info.st_mode)) return fail(EINVAL);
  if (const int error = lockInPlace(fd_)) return fail(error);
  errno = 0;
  if (calls_.ftruncate(fd_, 0) != 0) return fail(lastError());
  return 0;
}

int FileReplacement::write(std::string_view bytes) {
  while (!bytes.empty()) {
    errno = 0;
    const ssize_t written = calls_.write(fd_, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return fail(lastError());
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

// The temporary's lock is held by a second descriptor from the checked
// close until the rename, so that no clean-up takes the finished file.
int FileReplacement::commit() {
  errno = 0;
  if (calls_.fsync(fd_) != 0) return fail(lastError());
  if (!inPlace_ && (lock_ = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0)) < 0) return fail(lastError());
  const int fd = std::exchange(fd_, -1);
  errno = 0;
  if (calls_.close(fd) != 0) return fail(lastError());  // the descriptor is gone either way
  if (inPlace_) return 0;
  errno = 0;
  if (calls_.rename(temporary_.c_str(), target_.c_str()) != 0) return fail(lastError());
  temporary_.clear();
  ::close(std::exchange(lock_, -1));
  syncFolder(folderOf(target_), calls_);
  return 0;
}

// Removes the temporary before its lock is let go.
int FileReplacement::fail(int error) {
  if (!temporary_.empty()) calls_.unlink(temporary_.c_str());
  temporary_.clear();
  if (fd_ >= 0) calls_.close(std::exchange(fd_, -1));
  if (lock_ >= 0) ::close(std::exchange(lock_, -1));
  return error;
}

}  // namespace teilomat
