// The POSIX file layer: a temporary beside the file, written, synced and renamed over it, or a rewrite in place.
//
// - A symbolic link as target is followed: the file it points to is
//   replaced and the link stays.
// - An existing target must be a regular file that the process may write
//   and that has at least one write bit: a file marked read-only is refused
//   with EACCES even for root. A directory in the target's place gives
//   EISDIR, any other kind of file (device, pipe, socket) EINVAL.
// - A folder that takes no new file (no write permission, no write bit at
//   all even for root, or a sticky folder that would refuse the rename over
//   another user's file) is refused with EACCES for a new target; an
//   existing target that may be written is then rewritten in place:
//   truncated, written, flushed and closed, as a plain save would.
// - The new file gets the old file's mode bits, its group where the process
//   belongs to it, and its owner where the process may (root); a new target
//   gets 0666 less the umask, as any created file. Other hard links to the
//   old file keep the old content (in place: they share the new one).
// - Temporaries are named "." + name + ".XXXXXX.tmp" and locked (flock) by
//   their writer. begin() removes unlocked ones of the same target: the
//   leftovers of a save that was killed. That costs one pass over the
//   folder's entries.
// - commit() syncs the file, closes it and renames it; then it syncs the
//   folder, best effort: its failure no longer matters to the content.
// Every system call goes through FileCalls. Errors are errno values.
#include "files/FileReplacement.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>
#include <utility>

#include "files/TemporaryNames.h"
#include "files/posix/FileCalls.h"

namespace teilomat {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxSymlinkHops = 40;  // as the kernel's own limit before ELOOP

// The error of the failed call, or EIO when the call left errno unset.
int lastError() { return errno != 0 ? errno : EIO; }

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
bool stillNamed(FileCalls& calls, int fd, const fs::path& name) {
  struct stat held {};
  struct stat named {};
  return calls.fstat(fd, &held) == 0 && calls.lstat(name.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
         held.st_ino == named.st_ino;
}

// Removes the temporaries of `name` in `folder` that no writer holds. A
// folder that cannot be read keeps its leftovers.
void removeStaleTemporaries(FileCalls& calls, const fs::path& target) {
  const fs::path folder = folderOf(target);
  DIR* const entries = calls.opendir(folder.c_str());
  if (entries == nullptr) return;
  while (const dirent* const entry = calls.readdir(entries)) {
    if (!isTemporaryOf(entry->d_name, target)) continue;
    const fs::path path = folder / entry->d_name;
    const int fd = calls.open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0);
    if (fd < 0) continue;
    if (calls.flock(fd, LOCK_EX | LOCK_NB) == 0 && stillNamed(calls, fd, path)) calls.unlink(path.c_str());
    calls.close(fd);
  }
  calls.closedir(entries);
}

// Takes the lock, waiting out a signal. A file system without flock gives
// no lock to the clean-up either, which then removes nothing.
void lockAgainstCleanUp(FileCalls& calls, int fd) {
  while (calls.flock(fd, LOCK_EX) != 0 && errno == EINTR) {
  }
}

// Whether a save rewriting in place may take the target's lock within about
// two seconds. Two such saves of one file would interleave their bytes; a
// lock held longer (by another program) is reported as EWOULDBLOCK rather
// than freezing the window. Without flock on the file system: no lock.
int lockInPlace(FileCalls& calls, int fd) {
  for (int tries = 0;; ++tries) {
    if (calls.flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return 0;
    if (tries == 200) return EWOULDBLOCK;
    calls.usleep(10000);
  }
}

// The target of the link `link`, however long.
int readLink(FileCalls& calls, const fs::path& link, fs::path& target) {
  std::string buffer(256, '\0');
  for (;;) {
    const ssize_t length = calls.readlink(link.c_str(), buffer.data(), buffer.size());
    if (length < 0) return lastError();
    if (static_cast<std::size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<std::size_t>(length));
      target = buffer;
      return 0;
    }
    buffer.resize(buffer.size() * 2);  // perhaps cut short: read again
  }
}

// Makes the rename itself durable; some file systems refuse fsync on a
// folder, and the content is complete either way.
void syncFolder(FileCalls& calls, const fs::path& folder) {
  const int fd = calls.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) return;
  calls.fsync(fd);
  calls.close(fd);
}

FileError described(int error) {
  if (error == 0) return {};
  return {error, std::system_category().message(error)};
}

}  // namespace

// The steps, each returning 0 or an errno; after a failure the temporary is
// already gone and the target untouched.
class FileReplacement::State {
 public:
  State(fs::path target, FileCalls& calls) : target_(std::move(target)), calls_(calls) {}
  ~State() { fail(0); }

  int begin();
  int write(std::string_view bytes);
  int commit();

 private:
  int resolveTarget();
  int checkTarget();
  int createTemporary();
  void passOnOwnership();
  int openInPlace();
  int fail(int error);

  fs::path target_;
  fs::path temporary_;
  FileCalls& calls_;
  int fd_ = -1;
  int lock_ = -1;              // a second descriptor of the temporary: its lock outlives the checked close of fd_
  bool replacesFile_ = false;  // the target exists; its mode and owner pass on
  bool folderClosed_ = false;  // no temporary may be made, or renamed over the target
  bool inPlace_ = false;       // fd_ is the target itself
  mode_t mode_ = 0;
  uid_t owner_ = 0;
  gid_t group_ = 0;
};

FileReplacement::FileReplacement(fs::path target, FileCalls& calls)
    : state_(std::make_unique<State>(std::move(target), calls)) {}
FileReplacement::~FileReplacement() = default;
FileError FileReplacement::begin() { return described(state_->begin()); }
FileError FileReplacement::write(std::string_view bytes) { return described(state_->write(bytes)); }
FileError FileReplacement::commit() { return described(state_->commit()); }

int FileReplacement::State::begin() {
  if (const int error = resolveTarget()) return error;
  if (const int error = checkTarget()) return error;
  removeStaleTemporaries(calls_, target_);
  const int error = createTemporary();
  if ((error == EACCES || error == EPERM) && replacesFile_) return openInPlace();
  return error;
}

// Follows symbolic links in the last part of the name, so that the rename
// replaces the file a link points to rather than the link.
int FileReplacement::State::resolveTarget() {
  for (int hops = 0;; ++hops) {
    struct stat info {};
    if (calls_.lstat(target_.c_str(), &info) != 0) return errno == ENOENT ? 0 : lastError();
    if (!S_ISLNK(info.st_mode)) return 0;
    if (hops == kMaxSymlinkHops) return ELOOP;
    fs::path link;
    if (const int error = readLink(calls_, target_, link)) return error;
    target_ = link.is_absolute() ? link : folderOf(target_) / link;
  }
}

// A rename succeeds over any file in a writable folder; the checks here keep
// the refusals that writing into the file itself would have met.
int FileReplacement::State::checkTarget() {
  struct stat info {};
  if (calls_.stat(target_.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return EISDIR;
    if (!S_ISREG(info.st_mode)) return EINVAL;
    if ((info.st_mode & 0222) == 0) return EACCES;
    if (calls_.access(target_.c_str(), W_OK) != 0) return lastError();
    replacesFile_ = true;
    mode_ = info.st_mode & 07777;
    owner_ = info.st_uid;
    group_ = info.st_gid;
  } else if (errno != ENOENT) {
    return lastError();
  }
  struct stat folder {};
  if (calls_.stat(folderOf(target_).c_str(), &folder) != 0) return lastError();
  if (!S_ISDIR(folder.st_mode)) return ENOTDIR;
  // Root may write into any folder; one without any write bit is taken as
  // closed all the same. In a sticky folder only the file's or the folder's
  // owner may rename over the file.
  const uid_t user = calls_.geteuid();
  folderClosed_ = (folder.st_mode & 0222) == 0 || (replacesFile_ && (folder.st_mode & S_ISVTX) != 0 && user != 0 &&
                                                   user != owner_ && user != folder.st_uid);
  return 0;
}

int FileReplacement::State::createTemporary() {
  if (folderClosed_) return EACCES;
  for (int attempt = 0; attempt < 100 && temporary_.empty(); ++attempt) {
    unsigned char random[kTemporaryRandomBytes];
    const bool drawn = calls_.getrandom(random, sizeof random, 0) == static_cast<ssize_t>(sizeof random);
    const fs::path candidate = temporaryOf(target_, drawn ? random : nullptr);
    errno = 0;
    fd_ = calls_.open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, replacesFile_ ? 0600 : 0666);
    if (fd_ < 0) {
      if (errno != EEXIST) return lastError();
      continue;
    }
    lockAgainstCleanUp(calls_, fd_);
    if (stillNamed(calls_, fd_, candidate)) {
      temporary_ = candidate;
    } else {
      calls_.close(std::exchange(fd_, -1));  // removed by another save's clean-up
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
void FileReplacement::State::passOnOwnership() {
  struct stat made {};
  if (calls_.fstat(fd_, &made) == 0 && (made.st_uid != owner_ || made.st_gid != group_) &&
      calls_.fchown(fd_, owner_, group_) != 0) {
    calls_.fchown(fd_, static_cast<uid_t>(-1), group_);
  }
  calls_.fchmod(fd_, mode_);
}

// The file itself, opened without following a link (the target is resolved)
// and without blocking on a pipe swapped in since the check.
int FileReplacement::State::openInPlace() {
  errno = 0;
  fd_ = calls_.open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK, 0);
  if (fd_ < 0) return fail(lastError());
  inPlace_ = true;
  struct stat info {};
  if (calls_.fstat(fd_, &info) != 0) return fail(lastError());
  if (!S_ISREG(info.st_mode)) return fail(EINVAL);
  if (const int error = lockInPlace(calls_, fd_)) return fail(error);
  errno = 0;
  if (calls_.ftruncate(fd_, 0) != 0) return fail(lastError());
  return 0;
}

int FileReplacement::State::write(std::string_view bytes) {
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
int FileReplacement::State::commit() {
  errno = 0;
  if (calls_.fsync(fd_) != 0) return fail(lastError());
  if (!inPlace_ && (lock_ = calls_.dupfd(fd_)) < 0) return fail(lastError());
  const int fd = std::exchange(fd_, -1);
  errno = 0;
  if (calls_.close(fd) != 0) return fail(lastError());  // the descriptor is gone either way
  if (inPlace_) return 0;
  errno = 0;
  if (calls_.rename(temporary_.c_str(), target_.c_str()) != 0) return fail(lastError());
  temporary_.clear();
  calls_.close(std::exchange(lock_, -1));
  syncFolder(calls_, folderOf(target_));
  return 0;
}

// Removes the temporary before its lock is let go.
int FileReplacement::State::fail(int error) {
  if (!temporary_.empty()) calls_.unlink(temporary_.c_str());
  temporary_.clear();
  if (fd_ >= 0) calls_.close(std::exchange(fd_, -1));
  if (lock_ >= 0) calls_.close(std::exchange(lock_, -1));
  return error;
}

}  // namespace teilomat
