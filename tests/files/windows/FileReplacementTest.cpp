// The Win32 file layer in a scratch folder: every failure of a call, a file another program holds, a kill midway, a race.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "files/Replacing.h"
#include "files/windows/FileCalls.h"
#include "support/ListingWatchdog.h"

namespace teilomat {
namespace {

namespace fs = std::filesystem;
using filetest::bigContent;
using filetest::expectRecovered;
using filetest::holdsOld;
using filetest::kNew;
using filetest::kOld;
using filetest::leftovers;
using filetest::replaceWith;
using listingtest::ScratchDirectory;

// The refusal, as the save's box shows it: the number and the system's text
// in the user's language, here converted by the standard library.
bool refusedWith(const FileError& error, DWORD number) {
  wchar_t text[1024];
  std::wstring wide(text, ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, number,
                                           0, text, 1024, nullptr));
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r')) wide.pop_back();
  const std::u8string utf8 = fs::path(wide).u8string();
  return error.number == static_cast<int>(number) && error.description == std::string(utf8.begin(), utf8.end());
}

// Fails the `at`-th call of one step with `error` (at 0: every call of
// it); every other call reaches the file system. In a closed folder no
// temporary may be made (5). No wait is real; `onWait` runs at each.
struct FailingCalls : FileCalls {
  enum Step { None, Attributes, Create, Truncate, Write, Flush, Close, Move } step;
  int at;
  DWORD error;
  bool closedFolder;
  int calls = 0;
  std::size_t written = 0;
  std::function<void()> onWait = [] {};
  FailingCalls(Step s, int k, DWORD e, bool closed = false) : step(s), at(k), error(e), closedFolder(closed) {}
  bool failsNow(Step s) { return s == step && (++calls == at || at == 0); }
  template <class T> T failed(T result) { ::SetLastError(error); return result; }
  HANDLE CreateFileW(LPCWSTR p, DWORD a, DWORD s, DWORD d, DWORD f) override {
    if (closedFolder && d == CREATE_NEW) return ::SetLastError(ERROR_ACCESS_DENIED), INVALID_HANDLE_VALUE;
    return failsNow(Create) ? failed(INVALID_HANDLE_VALUE) : FileCalls::CreateFileW(p, a, s, d, f);
  }
  BOOL WriteFile(HANDLE h, const void* d, DWORD n, DWORD* w) override {
    if (failsNow(Write)) return failed(FALSE);
    const BOOL done = FileCalls::WriteFile(h, d, n, w);
    written += done ? *w : 0;
    return done;
  }
  DWORD GetFileAttributesW(LPCWSTR p) override {
    return failsNow(Attributes) ? failed(INVALID_FILE_ATTRIBUTES) : FileCalls::GetFileAttributesW(p);
  }
  BOOL SetEndOfFile(HANDLE h) override { return failsNow(Truncate) ? failed(FALSE) : FileCalls::SetEndOfFile(h); }
  BOOL FlushFileBuffers(HANDLE h) override { return failsNow(Flush) ? failed(FALSE) : FileCalls::FlushFileBuffers(h); }
  BOOL CloseHandle(HANDLE h) override {
    const BOOL closed = FileCalls::CloseHandle(h);
    return failsNow(Close) ? failed(FALSE) : closed;
  }
  BOOL MoveFileExW(LPCWSTR a, LPCWSTR b, DWORD f) override {
    return failsNow(Move) ? failed(FALSE) : FileCalls::MoveFileExW(a, b, f);
  }
  void Sleep(DWORD) override { onWait(); }
};

// Where no temporary may be made the file is rewritten in place; a failure
// there leaves the bytes written before it.
TEST(FileReplacement, AFailureAtAnyStepIsReportedAndLeavesNoTemporary) {
  struct Row {
    const char* name;
    FailingCalls::Step step;
    int at;
    DWORD error;
    bool inPlace = false;
  };
  const Row rows[] = {
      {"looking at the file", FailingCalls::Attributes, 1, ERROR_BAD_NETPATH},
      {"following the name", FailingCalls::Create, 1, ERROR_TOO_MANY_OPEN_FILES},
      {"creating the temporary", FailingCalls::Create, 2, ERROR_TOO_MANY_OPEN_FILES},
      {"first write, disk full", FailingCalls::Write, 1, ERROR_DISK_FULL},
      {"fifth of twelve writes", FailingCalls::Write, 5, ERROR_WRITE_FAULT},
      {"flushing to the disk", FailingCalls::Flush, 1, ERROR_WRITE_FAULT},
      {"replacing, the file held for good", FailingCalls::Move, 0, ERROR_SHARING_VIOLATION},
      {"in place: opening the file", FailingCalls::Create, 2, ERROR_TOO_MANY_OPEN_FILES, true},
      {"in place: emptying it", FailingCalls::Truncate, 1, ERROR_WRITE_FAULT, true},
      {"in place: fifth of twelve writes, disk full", FailingCalls::Write, 5, ERROR_DISK_FULL, true},
      {"in place: flushing to the disk", FailingCalls::Flush, 1, ERROR_WRITE_FAULT, true},
      {"in place: closing", FailingCalls::Close, 2, ERROR_WRITE_FAULT, true},
  };
  const std::string whole = bigContent();
  for (const Row& row : rows) {
    ScratchDirectory dir;
    const fs::path file = dir / "Primzahlen.txt";
    ScratchDirectory::write(file, kOld);
    FailingCalls calls(row.step, row.at, row.error, row.inPlace);
    EXPECT_TRUE(refusedWith(replaceWith(file, whole, calls), row.error)) << row.name;
    expectRecovered(file, whole, row.inPlace ? calls.written : 0, row.name);
  }
}

// Another program holds the file open: a brief hold is waited out, a
// lasting one refused, with the old content kept.
TEST(FileReplacement, AFileHeldByAnotherProgramIsWaitedForThenRefused) {
  struct Row {
    const char* name;
    DWORD access;
    DWORD share;
    bool inPlace;
    int heldWaits;  // -1: for good
    DWORD error;
  };
  const Row rows[] = {
      {"a reader that lets go", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, false, 5, 0},
      {"a reader for good", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, false, -1, ERROR_ACCESS_DENIED},
      {"in place: a writer for good", GENERIC_WRITE, FILE_SHARE_READ, true, -1, ERROR_SHARING_VIOLATION},
  };
  for (const Row& row : rows) {
    ScratchDirectory dir;
    const fs::path file = dir / "Primzahlen.txt";
    ScratchDirectory::write(file, kOld);
    HANDLE holder = ::CreateFileW(file.c_str(), row.access, row.share, nullptr, OPEN_EXISTING, 0, nullptr);
    FailingCalls calls(FailingCalls::None, 0, 0, row.inPlace);
    int waits = 0;
    calls.onWait = [&] {
      if (++waits == row.heldWaits) ::CloseHandle(std::exchange(holder, INVALID_HANDLE_VALUE));
    };
    const FileError error = replaceWith(file, kNew, calls);
    if (holder != INVALID_HANDLE_VALUE) ::CloseHandle(holder);
    EXPECT_TRUE(row.error == 0 ? !error : refusedWith(error, row.error)) << row.name << ": " << error.number;
    EXPECT_EQ(ScratchDirectory::read(file), row.error == 0 ? kNew : kOld) << row.name;
    EXPECT_TRUE(leftovers(dir.path()).empty()) << row.name;
  }
}

// A program killed in the middle of writing (its death test re-runs this
// body, hence the fixed folder): the old file stays whole; the dead save's
// temporary is removed by the next save, one still held by its writer is not.
TEST(FileReplacementDeathTest, AKillMidwayLeavesTheOldFileAndTheNextSaveCleansUp) {
  const fs::path dir = fs::temp_directory_path() / "teilomat-killed-save";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path file = dir / "Primzahlen.txt";
  ScratchDirectory::write(file, kOld);
  struct Dying : FileCalls {
    int writes = 0;
    BOOL WriteFile(HANDLE h, const void* d, DWORD n, DWORD* w) override {
      if (++writes == 3) ::TerminateProcess(::GetCurrentProcess(), 9);
      return FileCalls::WriteFile(h, d, n, w);
    }
  } dying;
  EXPECT_EXIT(replaceWith(file, bigContent(), dying), ::testing::ExitedWithCode(9), "");
  EXPECT_TRUE(holdsOld(file));
  ASSERT_EQ(leftovers(dir).size(), 1u) << "the killed save's temporary";

  const fs::path busy = dir / ".Primzahlen.txt.abcdef.tmp";
  const HANDLE writer =
      ::CreateFileW(busy.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW, 0, nullptr);
  EXPECT_FALSE(replaceWith(file, kNew));
  EXPECT_EQ(ScratchDirectory::read(file), kNew);
  ::CloseHandle(writer);  // its file outlives the clean-up, not only its handle
  EXPECT_EQ(leftovers(dir), std::vector<std::string>{busy.filename().string()});
  fs::remove_all(dir);
}

// Two saves racing in one folder (threads: what a save holds are handles,
// not the process), each reading the file between its saves, which holds
// it for a moment: neither fails, and the file is always one whole save.
// A read may meet the other's move under way (Wine: error 32) and is tried
// again; the file is never empty.
TEST(FileReplacement, TwoSaversRacingInOneFolderNeverFail) {
  ScratchDirectory dir;
  const fs::path file = dir / "Primzahlen.txt";
  const std::string lists[] = {"11\r\n13", "17\r\n19\r\n23"};
  struct NoFlush : FileCalls {  // the race is in the names; flushing only slows it down
    BOOL FlushFileBuffers(HANDLE) override { return TRUE; }
  } calls;
  std::atomic<int> failures{0};
  const auto saver = [&](const std::string& list) {
    for (int i = 0; i < 300; ++i) {
      if (replaceWith(file, list, calls)) ++failures;
      std::string bytes;
      for (int tries = 0; bytes.empty() && tries < 100; ++tries) bytes = ScratchDirectory::read(file);
      if (bytes != lists[0] && bytes != lists[1]) ++failures;
    }
  };
  {
    listingtest::ListingWatchdog watchdog("two savers racing", std::chrono::seconds(60));
    std::thread first(saver, lists[0]), second(saver, lists[1]);
    first.join();
    second.join();
  }
  EXPECT_EQ(failures, 0);
  EXPECT_TRUE(leftovers(dir.path()).empty());
}

}  // namespace
}  // namespace teilomat
