// The Windows side of the file layer's tests: the steps found among the Win32 calls, the failures' numbers, a killed
// save.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "files/Replacing.h"
#include "files/windows/FileCalls.h"

namespace teilomat::filetest {

constexpr int numberOf(Failure failure) {
  switch (failure) {
    case Failure::Io: return ERROR_WRITE_FAULT;
    case Failure::DiskFull: return ERROR_DISK_FULL;
    case Failure::TooManyFiles: return ERROR_TOO_MANY_OPEN_FILES;
    case Failure::Busy:
    case Failure::Held: return ERROR_SHARING_VIOLATION;
  }
  return 0;
}

// FormatMessageW in the user's language, converted by the standard library.
inline std::string systemText(int number) {
  wchar_t text[1024];
  std::wstring wide(text, ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                           static_cast<DWORD>(number), 0, text, 1024, nullptr));
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r')) wide.pop_back();
  const std::u8string utf8 = fs::path(wide).u8string();
  return std::string(utf8.begin(), utf8.end());
}

// Fails the `at`-th call of one step (at 0: every call of it) with `error`;
// every other call reaches the file system. In a closed folder no temporary
// may be made (5). No wait is real; `onWait` runs at each. A file is held
// by its share mode, so another save's hold is met at the open in place;
// only the close in place is checked; there is no lock to keep, and no
// opened file to look at.
struct FailingCalls : FileCalls {
  Step step;
  int at;
  DWORD error;
  bool closedFolder;
  int calls = 0;
  std::size_t written = 0;
  HANDLE writer = INVALID_HANDLE_VALUE;
  std::function<void()> onWait = [] {};
  FailingCalls(Step s, int k, int e, bool closed = false)
      : step(s), at(k), error(static_cast<DWORD>(e)), closedFolder(closed) {}
  static bool reaches(Step s, bool inPlace) {
    return s != Step::KeepLocked && s != Step::InPlaceLook && (s != Step::Close || inPlace);
  }
  bool failsNow(Step s) { return s != Step::None && s == step && (++calls == at || at == 0); }
  template <class T>
  T failed(T result) {
    ::SetLastError(error);
    return result;
  }
  HANDLE CreateFileW(LPCWSTR p, DWORD a, DWORD s, DWORD d, DWORD f) override {
    if (d == CREATE_NEW && closedFolder) return ::SetLastError(ERROR_ACCESS_DENIED), INVALID_HANDLE_VALUE;
    const bool inPlace = d == OPEN_EXISTING && (a & GENERIC_WRITE) != 0;
    if (failsNow(d == CREATE_NEW ? Step::Create
                 : a == 0        ? Step::Follow
                                 : Step::None) ||
        (inPlace && (failsNow(Step::InPlaceOpen) || failsNow(Step::Held)))) {
      return failed(INVALID_HANDLE_VALUE);
    }
    const HANDLE h = FileCalls::CreateFileW(p, a, s, d, f);
    if ((a & GENERIC_WRITE) != 0) writer = h;
    return h;
  }
  BOOL WriteFile(HANDLE h, const void* d, DWORD n, DWORD* w) override {
    if (failsNow(Step::Write)) return failed(FALSE);
    const BOOL done = FileCalls::WriteFile(h, d, n, w);
    written += done ? *w : 0;
    return done;
  }
  DWORD GetFileAttributesW(LPCWSTR p) override {
    return failsNow(Step::Look) ? failed(INVALID_FILE_ATTRIBUTES) : FileCalls::GetFileAttributesW(p);
  }
  BOOL SetEndOfFile(HANDLE h) override { return failsNow(Step::Empty) ? failed(FALSE) : FileCalls::SetEndOfFile(h); }
  BOOL FlushFileBuffers(HANDLE h) override {
    return failsNow(Step::Flush) ? failed(FALSE) : FileCalls::FlushFileBuffers(h);
  }
  BOOL CloseHandle(HANDLE h) override {
    const BOOL closed = FileCalls::CloseHandle(h);
    return h == writer && failsNow(Step::Close) ? failed(FALSE) : closed;
  }
  BOOL MoveFileExW(LPCWSTR a, LPCWSTR b, DWORD f) override {
    return failsNow(Step::Replace) ? failed(FALSE) : FileCalls::MoveFileExW(a, b, f);
  }
  void Sleep(DWORD) override { onWait(); }
};

// Ends the process at its third write, as the task manager would.
struct DyingCalls : FileCalls {
  int writes = 0;
  BOOL WriteFile(HANDLE h, const void* d, DWORD n, DWORD* w) override {
    if (++writes == 3) ::TerminateProcess(::GetCurrentProcess(), 9);
    return FileCalls::WriteFile(h, d, n, w);
  }
};
inline auto killed() { return ::testing::ExitedWithCode(9); }

// Flushing only slows a race in the names down.
struct NoFlushCalls : FileCalls {
  BOOL FlushFileBuffers(HANDLE) override { return TRUE; }
};

// A temporary as a running save holds it, open for writing and sharing
// reading and deletion only, until the result is dropped.
inline std::shared_ptr<void> holdTemporary(const fs::path& name) {
  const HANDLE handle =
      ::CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW, 0, nullptr);
  return {nullptr, [handle](void*) { ::CloseHandle(handle); }};
}

}  // namespace teilomat::filetest
