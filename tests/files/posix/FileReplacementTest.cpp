// The POSIX file layer in a scratch directory: every kind of file and folder, users and groups, a link, a full disk.
#include <cerrno>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "files/posix/TestCalls.h"

namespace teilomat {
namespace {

namespace fs = std::filesystem;
using namespace filetest;
using listingtest::ScratchDirectory;

// Runs `body` in a forked child and returns its exit code, or 128 + the
// signal that ended it. Used where the process itself must change: its
// user, its mount namespace.
int inChild(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Each row prepares the directory and names the file to save; error 0 means
// that the file (behind any link) gets the new list and keeps its mode and
// group. Rows marked `asNobody` run as the unprivileged user, member of the
// group kShared, in a child process, so root's freedom to write anywhere
// cannot hide a missing check; elsewhere they are left out, as only root can
// hand a file to another user.
TEST(FileReplacement, EachKindOfFileAndFolderGetsItsAnswer) {
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
      {"folder without write bits: the writable file is rewritten in place",
       [&](const fs::path& d) {
         oldFile(d, P::owner_read | P::owner_write);
         return folderMode(d, P::owner_read | P::owner_exec | P::others_exec);
       },
       0, false},
      {"folder without write bits, no file yet",
       [&](const fs::path& d) { return folderMode(d, P::owner_read | P::owner_exec | P::others_exec); }, EACCES, false},
      {"pipe in the file's place",
       [](const fs::path& d) {
         ::mkfifo((d / "Primzahlen.txt").c_str(), 0666);
         return d / "Primzahlen.txt";
       },
       EINVAL, false},
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
      const FileError error = replaceWith(file, kNew);
      return (row.error == 0 ? !error : refusedWith(error, row.error)) ? 0 : 1;
    };
    const int failures = row.asNobody ? inChild([&] {
      return ::setgroups(1, &kShared) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 ? save() : 77;
    })
                                      : save();
    if (failures == 77) {
      leftOut += std::string(" \"") + row.name + "\" (this root may not become another user)";
      continue;
    }
    EXPECT_EQ(failures, 0) << row.name;
    fs::permissions(dir.path(), fs::perms::owner_all, fs::perm_options::add);
    struct stat after {};
    if (row.error == 0) {
      EXPECT_EQ(ScratchDirectory::read(file), kNew) << row.name;
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

TEST(FileReplacement, ALinkIsFollowedAndTheModeKept) {
  ScratchDirectory dir;
  fs::create_directory(dir / "echt");
  ScratchDirectory::write(dir / "echt" / "Liste.txt", kOld);
  fs::permissions(dir / "echt" / "Liste.txt", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink("echt/Liste.txt", dir / "Primzahlen.txt");
  EXPECT_FALSE(replaceWith(dir / "Primzahlen.txt", kNew));
  EXPECT_TRUE(fs::is_symlink(dir / "Primzahlen.txt"));
  EXPECT_EQ(ScratchDirectory::read(dir / "echt" / "Liste.txt"), kNew);
  EXPECT_EQ(fs::status(dir / "echt" / "Liste.txt").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(leftovers(dir / "echt"), std::vector<std::string>{"Liste.txt"});
}

// A real full disk: a tmpfs of 16 KiB, mounted in a private mount namespace
// of a child process so that nothing outlives the test.
TEST(FileReplacement, AFullDiskLeavesTheOldFile) {
  ScratchDirectory dir;
  const int result = inChild([&] {
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=16k") != 0) {
      return 77;
    }
    ScratchDirectory::write(dir / "Primzahlen.txt", kOld);
    if (!refusedWith(replaceWith(dir / "Primzahlen.txt", bigContent()), ENOSPC)) return 1;
    if (!holdsOld(dir / "Primzahlen.txt")) return 2;
    return leftovers(dir.path()).empty() ? 0 : 3;
  });
  if (result == 77) GTEST_SKIP() << "no tmpfs can be mounted here (needs mount rights)";
  EXPECT_EQ(result, 0) << "1: no ENOSPC, 2: old file damaged, 3: temporary left";
}

}  // namespace
}  // namespace teilomat
