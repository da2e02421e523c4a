// The Win32 file layer: a temporary beside the file, written, flushed and moved over it, or a rewrite in place.
//
// The temporary is flushed (FlushFileBuffers) and moved over the target
// only when every byte is written, by one MoveFileExW with
// MOVEFILE_REPLACE_EXISTING and MOVEFILE_WRITE_THROUGH: it returns once the
// move is on the disk. ReplaceFileW, which would keep the old file's
// permissions, is not used: without a backup file, some of its failures
// leave no file under the name.
//
// - An existing target is followed to the file it finally names
//   (GetFinalPathNameByHandleW): a link stays, its file is replaced.
// - A file marked read-only is refused with 5 (ERROR_ACCESS_DENIED), as
//   Windows itself refuses to write it; the attribute is checked here, as
//   Wine running as root would replace the file all the same. A folder in
//   the target's place gives 5 too, a missing folder 3.
// - The writer holds its temporary open until it is moved, sharing reading
//   and deletion only: the move goes through, while another save's
//   clean-up, which removes a temporary only by opening it exclusively,
//   cannot take it. A killed save's handles are closed by the system, so
//   begin() removes its leftover, named "." + name + ".XXXXXX.tmp".
// - Where no temporary may be created (5) and the target exists, it is
//   rewritten in place: opened sharing reading only, emptied, written,
//   flushed and closed. Only this way can a failure or a kill midway leave
//   a partial file.
// - A target that another program holds open is waited for, about two
//   seconds (a virus scanner or a reader lets go soon), then refused: with
//   5 by the move, with 32 (ERROR_SHARING_VIOLATION) in place.
// - The new file gets the folder's inherited permissions and plain
//   attributes, as any new file there.
// Every system call goes through FileCalls. Errors are Win32 numbers
// (GetLastError), described by FormatMessageW in the user's language.
#include "files/FileReplacement.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

#include "files/TemporaryNames.h"
#include "files/windows/FileCalls.h"

namespace teilomat {
namespace {

namespace fs = std::filesystem;

constexpr DWORD kLongestPath = 32768;  // in UTF-16 units, with the "\\?\" form
constexpr int kHeldTries = 200;        // 10 ms apart: about two seconds

// The error of the failed call, or ERROR_GEN_FAILURE when the call left none.
int lastError() {
  const DWORD error = ::GetLastError();
  return static_cast<int>(error != 0 ? error : ERROR_GEN_FAILURE);
}

// Runs `attempt` (0 or a Win32 error) again while another program holds the
// file (32, or `alsoHeld`), for about two seconds: such a hold is often
// brief, and a longer one is reported rather than freezing the window.
template <class Attempt>
int whileHeld(FileCalls& calls, DWORD alsoHeld, Attempt attempt) {
  for (int tries = 0;; ++tries) {
    const int error = attempt();
    const bool held = error == ERROR_SHARING_VIOLATION || (alsoHeld != 0 && error == static_cast<int>(alsoHeld));
    if (!held || tries == kHeldTries) return error;
    calls.Sleep(10);
  }
}

// Removes the temporaries of `target` that no writer holds open: only an
// exclusive open succeeds on them, and it deletes the file as it closes.
void removeStaleTemporaries(FileCalls& calls, const fs::path& target) {
  const fs::path folder = folderOf(target);
  WIN32_FIND_DATAW entry;
  const HANDLE search = calls.FindFirstFileW((folder / "*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!isTemporaryOf(entry.cFileName, target)) continue;
    const HANDLE stale =
        calls.CreateFileW((folder / entry.cFileName).c_str(), DELETE, 0, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE);
    if (stale != INVALID_HANDLE_VALUE) calls.CloseHandle(stale);
  } while (calls.FindNextFileW(search, &entry));
  calls.FindClose(search);
}

std::string utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(std::max(length, 0)), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
  return bytes;
}

}  // namespace

// The steps, each returning 0 or a Win32 error; after a failure the
// temporary is already gone and the target untouched.
class FileReplacement::State {
 public:
  State(fs::path target, FileCalls& calls) : calls_(calls), target_(std::move(target)) {}
  ~State() { fail(0); }

  // The error with the system's text for it, UTF-8, without the line break
  // that ends it; no error for 0.
  FileError described(int error) const;
  int begin();
  int write(std::string_view bytes);
  int commit();

 private:
  int resolveTarget();
  int createTemporary();
  int openInPlace();
  int fail(int error);

  FileCalls& calls_;
  fs::path target_;
  fs::path temporary_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  bool replacesFile_ = false;  // the target exists
  bool inPlace_ = false;       // file_ is the target itself
};

FileReplacement::FileReplacement(fs::path target, FileCalls& calls)
    : state_(std::make_unique<State>(std::move(target), calls)) {}
FileReplacement::~FileReplacement() = default;
FileError FileReplacement::begin() { return state_->described(state_->begin()); }
FileError FileReplacement::write(std::string_view bytes) { return state_->described(state_->write(bytes)); }
FileError FileReplacement::commit() { return state_->described(state_->commit()); }

FileError FileReplacement::State::described(int error) const {
  if (error == 0) return {};
  wchar_t text[1024];
  DWORD length = calls_.FormatMessageW(static_cast<DWORD>(error), text, static_cast<DWORD>(std::size(text)));
  while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n')) --length;
  return {error, utf8(std::wstring_view(text, length))};
}

int FileReplacement::State::begin() {
  if (const int error = resolveTarget()) return error;
  removeStaleTemporaries(calls_, target_);
  const int error = createTemporary();
  if (error == ERROR_ACCESS_DENIED && replacesFile_) return openInPlace();
  return error;
}

// Follows an existing target to the file it finally names, so that the
// move replaces the file a link points to rather than the link; then
// refuses that file if it is read-only or a folder. The handle opens
// nothing for reading or writing and blocks nobody.
int FileReplacement::State::resolveTarget() {
  if (calls_.GetFileAttributesW(target_.c_str()) == INVALID_FILE_ATTRIBUTES) {
    const int error = lastError();
    return error == ERROR_FILE_NOT_FOUND ? 0 : error;
  }
  const HANDLE file = calls_.CreateFileW(target_.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  if (file == INVALID_HANDLE_VALUE) return lastError();
  std::wstring name(kLongestPath, L'\0');
  const DWORD length =
      calls_.GetFinalPathNameByHandleW(file, name.data(), kLongestPath, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  const int error = length == 0 || length >= kLongestPath ? lastError() : 0;
  calls_.CloseHandle(file);
  if (error != 0) return error;
  name.resize(length);
  target_ = name;
  replacesFile_ = true;
  const DWORD attributes = calls_.GetFileAttributesW(target_.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return lastError();
  if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) return ERROR_ACCESS_DENIED;
  return 0;
}

int FileReplacement::State::createTemporary() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    unsigned char random[kTemporaryRandomBytes];
    const bool drawn = calls_.BCryptGenRandom(random, sizeof random);
    const fs::path candidate = temporaryOf(target_, drawn ? random : nullptr);
    file_ = calls_.CreateFileW(candidate.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL);
    if (file_ != INVALID_HANDLE_VALUE) {
      temporary_ = candidate;
      return 0;
    }
    const int error = lastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return error;
  }
  return ERROR_FILE_EXISTS;
}

// Sharing reading only, so that a second save rewriting the same file
// waits for this one rather than interleave its bytes.
int FileReplacement::State::openInPlace() {
  const int error = whileHeld(calls_, 0, [this] {
    file_ = calls_.CreateFileW(target_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    return file_ == INVALID_HANDLE_VALUE ? lastError() : 0;
  });
  if (error != 0) return error;
  inPlace_ = true;
  if (!calls_.SetEndOfFile(file_)) return fail(lastError());
  return 0;
}

int FileReplacement::State::write(std::string_view bytes) {
  while (!bytes.empty()) {
    const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!calls_.WriteFile(file_, bytes.data(), size, &written)) return fail(lastError());
    if (written == 0) return fail(ERROR_WRITE_FAULT);
    bytes.remove_prefix(written);
  }
  return 0;
}

// The temporary's handle stays open through the move, so that no clean-up
// takes the finished file; once moved, the content is on the disk, and
// closing the handle changes nothing of it.
int FileReplacement::State::commit() {
  if (!calls_.FlushFileBuffers(file_)) return fail(lastError());
  if (inPlace_) {
    if (!calls_.CloseHandle(std::exchange(file_, INVALID_HANDLE_VALUE))) return fail(lastError());
    return 0;
  }
  const int error = whileHeld(calls_, ERROR_ACCESS_DENIED, [this] {
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    return calls_.MoveFileExW(temporary_.c_str(), target_.c_str(), flags) ? 0 : lastError();
  });
  if (error != 0) return fail(error);
  temporary_.clear();
  calls_.CloseHandle(std::exchange(file_, INVALID_HANDLE_VALUE));
  return 0;
}

// Deletes the temporary while its handle still holds it, so that no other
// save meets it ownerless.
int FileReplacement::State::fail(int error) {
  if (!temporary_.empty()) calls_.DeleteFileW(temporary_.c_str());
  temporary_.clear();
  if (file_ != INVALID_HANDLE_VALUE) calls_.CloseHandle(std::exchange(file_, INVALID_HANDLE_VALUE));
  return error;
}

}  // namespace teilomat
