// The atomic replacement of a file by a temporary beside it.
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

// Removes the temporaries of `name` in `folder` that no writer holds: a
// writer keeps its temporary locked until it is renamed or removed, and the
// lock dies with the process.
void removeStaleTemporaries(const fs::path& folder, const std::string& name) {
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (!FileReplacement::isTemporaryOf(it->path().filename().string(), name)) continue;
    const int fd = ::open(it->path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(it->path().c_str());
    ::close(fd);
  }
}

// Makes the rename itself durable; some file systems refuse fsync on a
// folder, and the content is complete either way.
void syncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
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
  return createTemporary();
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
  if ((folder.st_mode & 0222) == 0) return EACCES;
  return 0;
}

int FileReplacement::createTemporary() {
  const std::string head = temporaryHead(target_.filename().string());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate = folderOf(target_) / (head + randomLetters() + kTemporarySuffix);
    errno = 0;
    fd_ = calls_.open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, replacesFile_ ? 0600 : 0666);
    if (fd_ >= 0) {
      temporary_ = candidate;
      break;
    }
    if (errno != EEXIST) return lastError();
  }
  if (fd_ < 0) return EEXIST;
  ::flock(fd_, LOCK_EX);
  if (replacesFile_) {
    if (owner_ != ::geteuid() || group_ != ::getegid()) (void)::fchown(fd_, owner_, group_);
    ::fchmod(fd_, mode_);  // after fchown, which clears set-id bits
  }
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

int FileReplacement::commit() {
  errno = 0;
  if (calls_.fsync(fd_) != 0) return fail(lastError());
  const int fd = std::exchange(fd_, -1);
  errno = 0;
  if (calls_.close(fd) != 0) return fail(lastError());  // the descriptor is gone either way
  errno = 0;
  if (calls_.rename(temporary_.c_str(), target_.c_str()) != 0) return fail(lastError());
  temporary_.clear();
  syncFolder(folderOf(target_));
  return 0;
}

int FileReplacement::fail(int error) {
  if (fd_ >= 0) calls_.close(std::exchange(fd_, -1));
  if (!temporary_.empty()) calls_.unlink(temporary_.c_str());
  temporary_.clear();
  return error;
}

}  // namespace teilomat
