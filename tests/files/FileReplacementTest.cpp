// The file layer on every platform: the bytes, each refusal, a failure at any step, a kill midway, two saves racing.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "support/ListingWatchdog.h"
#ifdef _WIN32
#include "files/windows/TestCalls.h"
#else
#include "files/posix/TestCalls.h"
#endif

namespace teilomat {
namespace {

namespace fs = std::filesystem;
using namespace filetest;
using listingtest::ScratchDirectory;

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

// In a folder whose name is not ASCII, given as UTF-8.
TEST(FileReplacement, ReplacesALongerFileEntirely) {
  ScratchDirectory scratch;
  const fs::path dir = scratch.path() / fs::path(u8"Zählung");
  fs::create_directory(dir);
  ScratchDirectory::write(dir / "Primzahlen.txt", std::string(10000, '7') + "\r\nalter Inhalt\r\n");
  EXPECT_FALSE(replaceWith(dir / "Primzahlen.txt", kNew));
  EXPECT_EQ(ScratchDirectory::read(dir / "Primzahlen.txt"), kNew);
  EXPECT_FALSE(replaceWith(dir / "Primzahlen.txt", kNew));
  EXPECT_EQ(ScratchDirectory::read(dir / "Primzahlen.txt"), kNew);
  EXPECT_TRUE(leftovers(dir).empty());
}

// Each refusal by the platform's number: an errno, or a Win32 error
// (5 ERROR_ACCESS_DENIED, 3 ERROR_PATH_NOT_FOUND).
TEST(FileReplacement, ARefusalLeavesEverythingAsItWas) {
  struct Row {
    const char* name;
    std::function<fs::path(const fs::path& dir)> prepare;  // names the file to save
    int posix;
    int windows;
  };
  const Row rows[] = {
      {"file marked read-only",
       [](const fs::path& d) {
         ScratchDirectory::write(d / "Primzahlen.txt", kOld);
         fs::permissions(d / "Primzahlen.txt", fs::perms::owner_read | fs::perms::group_read);
         return d / "Primzahlen.txt";
       },
       EACCES, 5},
      {"directory in the file's place",
       [](const fs::path& d) {
         fs::create_directory(d / "Primzahlen.txt");
         return d / "Primzahlen.txt";
       },
       EISDIR, 5},
      {"missing folder", [](const fs::path& d) { return d / "fehlt" / "Primzahlen.txt"; }, ENOENT, 3},
  };
  for (const Row& row : rows) {
    ScratchDirectory dir;
    const fs::path file = row.prepare(dir.path());
    EXPECT_TRUE(refusedWith(replaceWith(file, kNew), kWindows ? row.windows : row.posix)) << row.name;
    if (fs::is_regular_file(file)) {
      EXPECT_EQ(ScratchDirectory::read(file), kOld) << row.name;
    }
    EXPECT_EQ(temporariesUnder(dir.path()), 0) << row.name;
    std::error_code ignored;  // a read-only file blocks the clean-up on Windows
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, ignored);
  }
}

// Where no temporary may be made the file is rewritten in place; a failure
// there leaves the bytes written before it. A platform without a step
// leaves its rows out.
TEST(FileReplacement, AFailureAtAnyStepIsReportedAndLeavesNoTemporary) {
  struct Row {
    const char* name;
    Step step;
    int at;  // 0: every call of the step
    Failure failure;
    bool inPlace = false;
  };
  const Row rows[] = {
      {"following the name", Step::Follow, 1, Failure::Io},
      {"looking at the file", Step::Look, 1, Failure::Io},
      {"creating the temporary", Step::Create, 1, Failure::TooManyFiles},
      {"first write, disk full", Step::Write, 1, Failure::DiskFull},
      {"fifth of twelve writes", Step::Write, 5, Failure::Io},
      {"flushing to the disk", Step::Flush, 1, Failure::Io},
      {"keeping the temporary locked", Step::KeepLocked, 1, Failure::TooManyFiles},
      {"closing", Step::Close, 1, Failure::DiskFull},
      {"replacing, the file busy for good", Step::Replace, 0, Failure::Busy},
      {"in place: opening the file", Step::InPlaceOpen, 1, Failure::TooManyFiles, true},
      {"in place: looking at the opened file", Step::InPlaceLook, 1, Failure::Io, true},
      {"in place: held by another save for good", Step::Held, 0, Failure::Held, true},
      {"in place: emptying it", Step::Empty, 1, Failure::Io, true},
      {"in place: fifth of twelve writes, disk full", Step::Write, 5, Failure::DiskFull, true},
      {"in place: flushing to the disk", Step::Flush, 1, Failure::Io, true},
      {"in place: closing", Step::Close, 1, Failure::Io, true},
  };
  const std::string whole = bigContent();
  for (const Row& row : rows) {
    if (!FailingCalls::reaches(row.step, row.inPlace)) continue;
    ScratchDirectory dir;
    const fs::path file = dir / "Primzahlen.txt";
    ScratchDirectory::write(file, kOld);
    FailingCalls calls(row.step, row.at, numberOf(row.failure), row.inPlace);
    EXPECT_TRUE(refusedWith(replaceWith(file, whole, calls), numberOf(row.failure))) << row.name;
    expectRecovered(file, whole, row.inPlace ? calls.written : 0, row.name);
  }
}

// A process killed in the middle of writing: the old file stays whole; the
// dead save's temporary is removed by the next save, while one still held
// by a running save is not. The folder has a fixed name, as a death test
// may run this body again in a new process (Windows).
TEST(FileReplacementDeathTest, AKillMidwayLeavesTheOldFileAndTheNextSaveCleansUp) {
  const fs::path dir = fs::current_path() / "teilomat-killed-save";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path file = dir / "Primzahlen.txt";
  ScratchDirectory::write(file, kOld);
  DyingCalls dying;
  EXPECT_EXIT(replaceWith(file, bigContent(), dying), killed(), "");
  EXPECT_TRUE(holdsOld(file));
  ASSERT_EQ(leftovers(dir).size(), 1u) << "the killed save's temporary";

  const fs::path busy = dir / ".Primzahlen.txt.abcdef.tmp";
  {
    const auto held = holdTemporary(busy);
    EXPECT_FALSE(replaceWith(file, kNew));
  }
  EXPECT_EQ(ScratchDirectory::read(file), kNew);
  EXPECT_EQ(leftovers(dir), std::vector<std::string>{busy.filename().string()}) << "its file outlives the clean-up";
  fs::remove_all(dir);
}

// Two saves in one folder at once, each reading the file between its saves:
// neither loses its temporary to the other's clean-up of leftovers, and the
// file is always one whole save. Threads will do, as what a save holds
// (locks, handles) belongs to its open file, not its process. A read may
// meet the other's move under way (Wine: error 32) and is tried again.
TEST(FileReplacement, TwoSaversRacingInOneFolderNeverFail) {
  ScratchDirectory dir;
  const fs::path file = dir / "Primzahlen.txt";
  const std::string lists[] = {kNew, "17\r\n19\r\n23"};
  NoFlushCalls calls;
  std::atomic<int> failures{0};
  const auto saver = [&](const std::string& list) {
    for (int i = 0; i < 1000; ++i) {
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
