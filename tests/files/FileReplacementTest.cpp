// The file layer on every platform: a replaced file holds exactly the new bytes, and a refusal leaves everything as it was.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>
#include <system_error>

#include "files/Replacing.h"

namespace teilomat {
namespace {

namespace fs = std::filesystem;
using filetest::kNew;
using filetest::kOld;
using filetest::leftovers;
using filetest::replaceWith;
using filetest::temporariesUnder;
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
    const FileError error = replaceWith(file, kNew);
    EXPECT_EQ(error.number, kWindows ? row.windows : row.posix) << row.name;
    EXPECT_FALSE(error.description.empty()) << row.name;
    if (fs::is_regular_file(file)) {
      EXPECT_EQ(ScratchDirectory::read(file), kOld) << row.name;
    }
    EXPECT_EQ(temporariesUnder(dir.path()), 0) << row.name;
    std::error_code ignored;  // a read-only file blocks the clean-up on Windows
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, ignored);
  }
}

}  // namespace
}  // namespace teilomat
