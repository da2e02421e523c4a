// Command6 against the recording fake and a scratch directory: the file's bytes and every failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/ListingWatchdog.h"
#include "support/Parse128.h"
#include "support/RecordingFake.h"
#include "support/ScratchDirectory.h"
#include "commands/Commands.h"

namespace teilomat {
namespace {

namespace fs = std::filesystem;
using listingtest::ScratchDirectory;
using testing::parse128;
using testing::RecordingFake;

// The whole save's mark on the window: nothing, or one box.
std::string failureText(int error) {
  return "Fehler: " + std::to_string(error) + "\r\n" + std::system_category().message(error);
}

// Saves `list`, then checks that the list and every control are as before.
struct Save {
  RecordingFake fake;
  explicit Save(const fs::path& file, std::vector<uint128> list = {11, 13},
                FileCalls& calls = FileCalls::system()) {
    fake.list = list;
    fake.caption = "Teilomat - (2 Primzahlen zwischen 10 und 15)";
    runSaveListing(fake, fake, file, calls);
    EXPECT_EQ(fake.list, list);
    EXPECT_EQ(fake.caption, "Teilomat - (2 Primzahlen zwischen 10 und 15)");
    for (const auto& e : fake.log) EXPECT_EQ(e.what, "messageBox") << e.what;
  }
  bool failedWith(int error) const {
    const auto boxes = fake.eventsNamed("messageBox");
    return boxes.size() == 1 && boxes[0].text == failureText(error) &&
           boxes[0].extra == "Speichern Listbox";
  }
  bool succeeded() const { return fake.log.empty(); }
};

// Every name in `dir` but the saved file: temporaries left behind.
std::vector<std::string> leftovers(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().filename() != "Primzahlen.txt") names.push_back(entry.path().filename().string());
  }
  return names;
}

// The temporaries left anywhere under `dir`.
long temporariesUnder(const fs::path& dir) {
  return std::count_if(fs::recursive_directory_iterator(dir), {}, [](auto& e) { return e.path().extension() == ".tmp"; });
}

// 50000 entries, about 700 KB: eleven chunks of writing.
std::vector<uint128> bigList() { return std::vector<uint128>(50000, 1000000000039u); }
const char* const kOld = "alt\r\n17\r\n19";

// The file still holds the old content; a mismatch is told by its size and start only,
// as the new content runs to 700 KB.
::testing::AssertionResult holdsOld(const fs::path& file) {
  const std::string bytes = ScratchDirectory::read(file);
  if (bytes == kOld) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << file.filename() << " has " << bytes.size() << " bytes: "
                                       << bytes.substr(0, 40);
}

// Runs `body` in a forked child and returns its exit code, or 128 + the
// signal that ended it. Used where the process itself must change: its
// user, its mount namespace, its file size limit.
pid_t startChild(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  return pid;
}
int exitOf(pid_t child) {
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
int inChild(const std::function<int()>& body) { return exitOf(startChild(body)); }

TEST(SaveListing, EntriesAreSeparatedByCrLfAndTheLastEndsTheFile) {
  struct Row {
    const char* name;
    std::vector<uint128> list;
    std::string bytes;
  };
  const Row rows[] = {
      {"empty list gives an empty file", {}, ""},
      {"one entry", {11}, "11"},
      {"six entries of 10 to 30", {11, 13, 17, 19, 23, 29}, "11\r\n13\r\n17\r\n19\r\n23\r\n29"},
      {"29 digits", {parse128("79228162514264337593543950319"), 3}, "79228162514264337593543950319\r\n3"},
  };
  for (const Row& row : rows) {
    ScratchDirectory dir;
    Save s(dir / "Primzahlen.txt", row.list);
    EXPECT_TRUE(s.succeeded()) << row.name;
    EXPECT_EQ(ScratchDirectory::read(dir / "Primzahlen.txt"), row.bytes) << row.name;
    EXPECT_TRUE(leftovers(dir.path()).empty()) << row.name;
  }
}

TEST(SaveListing, DefaultNameLandsInTheWorkingDirectory) {
  ScratchDirectory dir;
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());
  RecordingFake fake;
  fake.list = {11};
  runSaveListing(fake, fake);
  fs::current_path(before);
  EXPECT_EQ(ScratchDirectory::read(dir / "Primzahlen.txt"), "11");
}

TEST(SaveListing, ReplacesALongerFileEntirely) {
  ScratchDirectory dir;
  ScratchDirectory::write(dir / "Primzahlen.txt", std::string(10000, '7') + "\r\nalter Inhalt\r\n");
  Save s(dir / "Primzahlen.txt", {11, 13});
  EXPECT_TRUE(s.succeeded());
  EXPECT_EQ(ScratchDirectory::read(dir / "Primzahlen.txt"), "11\r\n13");
  Save again(dir / "Primzahlen.txt", {11, 13});
  EXPECT_EQ(ScratchDirectory::read(dir / "Primzahlen.txt"), "11\r\n13");
}

TEST(SaveListing, MoreThan32767EntriesAreSavedWhole) {
  ScratchDirectory dir;
  std::vector<uint128> list;
  std::string expected;
  for (int i = 0; i < 40000; ++i) {
    list.push_back(1000003 + 2 * i);
    expected += (i == 0 ? "" : "\r\n") + std::to_string(1000003 + 2 * i);
  }
  Save s(dir / "Primzahlen.txt", list);
  EXPECT_TRUE(s.succeeded());
  const std::string bytes = ScratchDirectory::read(dir / "Primzahlen.txt");
  EXPECT_EQ(bytes.size(), expected.size());
  EXPECT_TRUE(bytes == expected);
}

// Fails the `at`-th call of one step with `error`; every other call reaches
// the file system. A failing close still closes, as POSIX close does.
struct FailingCalls : FileCalls {
  enum Step { Open, Truncate, Write, Fsync, Close, Rename } step;
  int at;
  int error;
  int calls = 0;
  std::size_t written = 0;
  FailingCalls(Step s, int k, int e) : step(s), at(k), error(e) {}
  bool failsNow(Step s) { return s == step && ++calls == at; }
  int failed() { errno = error; return -1; }
  int open(const char* p, int f, mode_t m) override { return failsNow(Open) ? failed() : FileCalls::open(p, f, m); }
  ssize_t write(int fd, const void* d, size_t n) override {
    const ssize_t result = failsNow(Write) ? failed() : FileCalls::write(fd, d, n);
    written += static_cast<std::size_t>(std::max<ssize_t>(result, 0));
    return result;
  }
  int ftruncate(int fd, off_t n) override { return failsNow(Truncate) ? failed() : FileCalls::ftruncate(fd, n); }
  int fsync(int fd) override { return failsNow(Fsync) ? failed() : FileCalls::fsync(fd); }
  int close(int fd) override {
    const int result = FileCalls::close(fd);
    return failsNow(Close) ? failed() : result;
  }
  int rename(const char* a, const char* b) override { return failsNow(Rename) ? failed() : FileCalls::rename(a, b); }
};

// In a folder that takes no new file the save rewrites the file in place;
// a failure there leaves the bytes written before it, as a plain save would.
TEST(SaveListing, AFailureAtAnyStepIsReportedAndLeavesNoTemporary) {
  struct Row {
    const char* name;
    FailingCalls::Step step;
    int at;
    int error;
    bool inPlace = false;
  };
  const Row rows[] = {
      {"opening the temporary", FailingCalls::Open, 1, EMFILE},
      {"first write, disk full", FailingCalls::Write, 1, ENOSPC},
      {"fifth of eleven writes", FailingCalls::Write, 5, EIO},
      {"flushing to the disk", FailingCalls::Fsync, 1, EIO},
      {"closing", FailingCalls::Close, 1, EDQUOT},
      {"replacing", FailingCalls::Rename, 1, EBUSY},
      {"in place: opening the file", FailingCalls::Open, 1, EMFILE, true},
      {"in place: emptying it", FailingCalls::Truncate, 1, EIO, true},
      {"in place: fifth of eleven writes, disk full", FailingCalls::Write, 5, ENOSPC, true},
      {"in place: flushing to the disk", FailingCalls::Fsync, 1, EIO, true},
  };
  std::string whole;
  for (const uint128 entry : bigList()) whole += (whole.empty() ? "" : "\r\n") + std::to_string(static_cast<unsigned long long>(entry));
  for (const Row& row : rows) {
    ScratchDirectory dir;
    const fs::path file = dir / "Primzahlen.txt";
    ScratchDirectory::write(file, kOld);
    if (row.inPlace) fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    FailingCalls calls(row.step, row.at, row.error);
    Save refused(file, bigList(), calls);
    EXPECT_TRUE(refused.failedWith(row.error)) << row.name;
    if (row.inPlace && calls.written > 0) {
      EXPECT_TRUE(ScratchDirectory::read(file) == whole.substr(0, calls.written)) << row.name;
    } else {
      EXPECT_TRUE(holdsOld(file)) << row.name;
    }
    EXPECT_EQ(leftovers(dir.path()), std::vector<std::string>{}) << row.name;
    EXPECT_TRUE(Save(file).succeeded()) << row.name << ": a later press saves normally";
    EXPECT_EQ(ScratchDirectory::read(file), "11\r\n13") << row.name;
  }
}

// Each row prepares the directory and names the file to save; error 0 means
// that the file (behind any link) gets the new list and keeps its mode and
// group. Rows marked `asNobody` run as the unprivileged user, member of the
// group kShared, in a child process, so root's freedom to write anywhere
// cannot hide a missing check; elsewhere they are left out, as only root can
// hand a file to another user.
TEST(SaveListing, EachKindOfFileAndFolderGetsItsAnswer) {
  struct Row {
    const char* name;
    std::function<fs::path(const fs::path& dir)> prepare;
    int error;
    bool asNobody;
  };
  constexpr uid_t kNobody = 65534, kOther = 54321;
  constexpr gid_t kShared = 54321;
  const auto oldFile = [](const fs::path& dir, fs::perms perms, uid_t owner = 0, gid_t group = 0) {
    ScratchDirectory::write(dir / "Primzahlen.txt", kOld);
    fs::permissions(dir / "Primzahlen.txt", perms);
    EXPECT_EQ(::chown((dir / "Primzahlen.txt").c_str(), owner, group), 0);
    return dir / "Primzahlen.txt";
  };
  const auto folderMode = [](const fs::path& dir, fs::perms perms) {
    fs::permissions(dir, perms);
    return dir / "Primzahlen.txt";
  };
  using P = fs::perms;
  const P rw_r_r = P::owner_read | P::owner_write | P::group_read | P::others_read;
  const Row rows[] = {
      {"file marked read-only", [&](const fs::path& d) { return oldFile(d, P::owner_read | P::group_read); },
       EACCES, false},
      {"folder without write bits: the writable file is rewritten in place",
       [&](const fs::path& d) {
         oldFile(d, P::owner_read | P::owner_write);
         return folderMode(d, P::owner_read | P::owner_exec | P::others_exec);
       },
       0, false},
      {"folder without write bits, no file yet",
       [&](const fs::path& d) { return folderMode(d, P::owner_read | P::owner_exec | P::others_exec); }, EACCES, false},
      {"directory in the file's place",
       [](const fs::path& d) { fs::create_directory(d / "Primzahlen.txt"); return d / "Primzahlen.txt"; }, EISDIR,
       false},
      {"pipe in the file's place",
       [](const fs::path& d) { ::mkfifo((d / "Primzahlen.txt").c_str(), 0666); return d / "Primzahlen.txt"; },
       EINVAL, false},
      {"missing folder", [](const fs::path& d) { return d / "fehlt" / "Primzahlen.txt"; }, ENOENT, false},
      {"another user's file in a folder open to all",
       [&](const fs::path& d) {
         fs::permissions(d, P::all);
         return oldFile(d, P::owner_read | P::owner_write | P::others_read);
       },
       EACCES, true},
      {"another user's folder",
       [&](const fs::path& d) { return folderMode(d, P::owner_all | P::others_read | P::others_exec); }, EACCES, true},
      {"the user's file in another user's folder: rewritten in place",
       [&](const fs::path& d) { return oldFile(d, rw_r_r, kNobody, kNobody); }, 0, true},
      {"a link from the user's folder to that file",
       [&](const fs::path& d) {
         fs::create_directory(d / "zu");
         oldFile(d / "zu", rw_r_r, kNobody, kNobody);
         EXPECT_EQ(::chown(d.c_str(), kNobody, kNobody), 0);
         fs::create_symlink("zu/Primzahlen.txt", d / "Primzahlen.txt");
         return d / "Primzahlen.txt";
       },
       0, true},
      {"another user's file open to all in a sticky folder open to all",
       [&](const fs::path& d) {
         fs::permissions(d, P::all | P::sticky_bit);
         return oldFile(d, P::owner_read | P::owner_write | P::group_write | P::others_read | P::others_write);
       },
       0, true},
      {"another user's file shared with the user's group keeps its group",
       [&](const fs::path& d) {
         fs::permissions(d, P::owner_all | P::group_all | P::others_exec);
         EXPECT_EQ(::chown(d.c_str(), 0, kShared), 0);
         return oldFile(d, rw_r_r | P::group_write, kOther, kShared);
       },
       0, true},
  };
  std::string leftOut;
  for (const Row& row : rows) {
    if (row.asNobody && ::geteuid() != 0) {
      leftOut += std::string(" \"") + row.name + "\"";
      continue;
    }
    ScratchDirectory dir;
    fs::permissions(dir.path(), fs::perms::others_exec, fs::perm_options::add);
    const fs::path file = row.prepare(dir.path());
    struct stat before {};
    const bool hadOld = ::stat(file.c_str(), &before) == 0 && S_ISREG(before.st_mode);
    const auto save = [&] {
      const Save s(file);
      return (row.error == 0 ? s.succeeded() : s.failedWith(row.error)) ? 0 : 1;
    };
    const int failures = row.asNobody ? inChild([&] {
      return ::setgroups(1, &kShared) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 ? save() : 77;
    }) : save();
    if (failures == 77) {
      leftOut += std::string(" \"") + row.name + "\" (this root may not become another user)";
      continue;
    }
    EXPECT_EQ(failures, 0) << row.name;
    fs::permissions(dir.path(), fs::perms::owner_all, fs::perm_options::add);
    struct stat after {};
    if (row.error == 0) {
      EXPECT_EQ(ScratchDirectory::read(file), "11\r\n13") << row.name;
      EXPECT_EQ(::stat(file.c_str(), &after), 0) << row.name;
      EXPECT_EQ(after.st_mode, before.st_mode) << row.name;
      EXPECT_EQ(after.st_gid, before.st_gid) << row.name;
    } else if (hadOld) {
      EXPECT_TRUE(holdsOld(file)) << row.name;
    }
    EXPECT_EQ(temporariesUnder(dir.path()), 0) << row.name;
  }
  if (!leftOut.empty()) GTEST_SKIP() << "rows left out, as only root acts as another user:" << leftOut;
}

TEST(SaveListing, ALinkIsFollowedAndTheModeKept) {
  ScratchDirectory dir;
  fs::create_directory(dir / "echt");
  ScratchDirectory::write(dir / "echt" / "Liste.txt", kOld);
  fs::permissions(dir / "echt" / "Liste.txt", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink("echt/Liste.txt", dir / "Primzahlen.txt");
  EXPECT_TRUE(Save(dir / "Primzahlen.txt").succeeded());
  EXPECT_TRUE(fs::is_symlink(dir / "Primzahlen.txt"));
  EXPECT_EQ(ScratchDirectory::read(dir / "echt" / "Liste.txt"), "11\r\n13");
  EXPECT_EQ(fs::status(dir / "echt" / "Liste.txt").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(leftovers(dir / "echt"), std::vector<std::string>{"Liste.txt"});
}

// A real full disk: a tmpfs of 16 KiB, mounted in a private mount namespace
// of a child process so that nothing outlives the test.
TEST(SaveListing, AFullDiskLeavesTheOldFile) {
  ScratchDirectory dir;
  const int result = inChild([&] {
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=16k") != 0) {
      return 77;
    }
    ScratchDirectory::write(dir / "Primzahlen.txt", kOld);
    Save refused(dir / "Primzahlen.txt", bigList());
    if (!refused.failedWith(ENOSPC)) return 1;
    if (!holdsOld(dir / "Primzahlen.txt")) return 2;
    return leftovers(dir.path()).empty() ? 0 : 3;
  });
  if (result == 77) GTEST_SKIP() << "no tmpfs can be mounted here (needs mount rights)";
  EXPECT_EQ(result, 0) << "1: no ENOSPC box, 2: old file damaged, 3: temporary left";
}

// A process killed in the middle of writing, at byte 100000 by its file
// size limit: the old file stays whole; the dead save's temporary is
// removed by the next one, while a temporary still locked by its writer is not.
TEST(SaveListing, AKillMidwayLeavesTheOldFileAndTheNextSaveCleansUp) {
  ScratchDirectory dir;
  const fs::path file = dir / "Primzahlen.txt";
  ScratchDirectory::write(file, kOld);
  const int result = inChild([&] {
    const rlimit noCore{0, 0}, limit{100000, 100000};
    ::setrlimit(RLIMIT_CORE, &noCore);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    Save(file, bigList());
    return 0;
  });
  EXPECT_EQ(result, 128 + SIGXFSZ);
  EXPECT_TRUE(holdsOld(file));
  ASSERT_EQ(leftovers(dir.path()).size(), 1u) << "the killed save's temporary";

  const fs::path busy = dir / ".Primzahlen.txt.abcdef.tmp";
  ScratchDirectory::write(busy, "1");
  const int fd = ::open(busy.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  EXPECT_TRUE(Save(file).succeeded());
  EXPECT_EQ(ScratchDirectory::read(file), "11\r\n13");
  EXPECT_EQ(leftovers(dir.path()), std::vector<std::string>{busy.filename().string()});
  ::close(fd);
}

// Two programs saving into one folder at once, a thousand times each: neither
// loses its temporary to the other's clean-up of leftovers, and the file is
// always one whole save.
TEST(SaveListing, TwoSaversRacingInOneFolderNeverFail) {
  ScratchDirectory dir;
  const fs::path file = dir / "Primzahlen.txt";
  const std::vector<uint128> lists[] = {{11, 13}, {17, 19, 23}};
  struct NoSync : FileCalls {  // the race is in the names; syncing only slows it down
    int fsync(int) override { return 0; }
  } calls;
  std::vector<pid_t> savers;
  for (const auto& list : lists) {
    savers.push_back(startChild([&] {
      ::alarm(30);
      for (int i = 0; i < 1000; ++i) {
        if (!Save(file, list, calls).succeeded()) return 1;
        const std::string bytes = ScratchDirectory::read(file);
        if (bytes != "11\r\n13" && bytes != "17\r\n19\r\n23") return 2;
      }
      return 0;
    }));
  }
  // Started after the forks: a child of a process with a second thread may
  // find an allocator lock taken for good (AddressSanitizer's is not fork-safe).
  listingtest::ListingWatchdog watchdog("two savers racing", std::chrono::seconds(30));
  for (const pid_t saver : savers) EXPECT_EQ(exitOf(saver), 0) << "1: a save failed, 2: the file was not whole";
  EXPECT_TRUE(leftovers(dir.path()).empty());
}

TEST(SaveListing, SaveInsideAListingTakesTheEntriesOfThatMoment) {
  ScratchDirectory dir;
  RecordingFake fake;
  fake.texts[TextField::Text3] = "10";
  fake.texts[TextField::Text4] = "30";
  // Pass 7 falls in the divisions of 17, after 11 and 13 were listed.
  fake.atPass(7, [&] { runSaveListing(fake, fake, dir / "Primzahlen.txt"); });
  listingtest::ListingWatchdog watchdog("save inside a listing");
  runRangeListing(fake, fake);
  EXPECT_EQ(ScratchDirectory::read(dir / "Primzahlen.txt"), "11\r\n13");
  EXPECT_EQ(fake.list.size(), 6u);
  EXPECT_EQ(fake.count("messageBox"), 0u);
}

}  // namespace
}  // namespace teilomat
