// The Win32 file layer when another program holds the file: a brief hold is waited out, a lasting one refused.
#include <gtest/gtest.h>
#include <string>
#include <utility>

#include "files/windows/TestCalls.h"

namespace teilomat {
namespace {

namespace fs = std::filesystem;
using namespace filetest;
using listingtest::ScratchDirectory;

// The holder lets go at the wait given (-1: never); the old content stays
// when the save is refused. Only a move over a held file gives 5.
TEST(FileReplacement, AFileHeldByAnotherProgramIsWaitedForThenRefused) {
  struct Row {
    const char* name;
    DWORD access;
    DWORD share;
    bool inPlace;
    int letsGoAtWait;
    int error;
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
    FailingCalls calls(Step::None, 0, 0, row.inPlace);
    int waits = 0;
    calls.onWait = [&] {
      if (++waits == row.letsGoAtWait) ::CloseHandle(std::exchange(holder, INVALID_HANDLE_VALUE));
    };
    const FileError error = replaceWith(file, kNew, calls);
    if (holder != INVALID_HANDLE_VALUE) ::CloseHandle(holder);
    EXPECT_TRUE(row.error == 0 ? !error : refusedWith(error, row.error)) << row.name << ": " << error.number;
    EXPECT_EQ(ScratchDirectory::read(file), row.error == 0 ? kNew : kOld) << row.name;
    EXPECT_TRUE(leftovers(dir.path()).empty()) << row.name;
  }
}

}  // namespace
}  // namespace teilomat
