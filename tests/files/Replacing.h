// A whole replacement as the save runs it, and what the tests of the file layer check after it.
#pragma once

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

#include "files/FileReplacement.h"
#include "support/ScratchDirectory.h"

namespace teilomat::filetest {

namespace fs = std::filesystem;

// A step of a replacement that a test makes fail, named for what it does;
// each platform's FailingCalls (files/<platform>/TestCalls.h) finds it among
// its system calls, and says which steps it has.
enum class Step {
  None,
  Follow,  // the target's name followed to its file
  Look,    // the target looked at
  Create,  // the temporary created
  Write,
  Flush,
  KeepLocked,   // the temporary's lock kept past its close (POSIX)
  Close,        // the written file closed, the close checked
  Replace,      // the temporary put in the target's place
  InPlaceOpen,  // the target opened to be rewritten in place
  InPlaceLook,  // the opened target looked at (POSIX)
  Held,         // another save rewriting the target in place holds it
  Empty,        // the target emptied in place
};

// A failure by what it is; each platform gives it its own number (numberOf).
enum class Failure { Io, DiskFull, TooManyFiles, Busy, Held };

// The system's text for `number`, read independently of the file layer:
// the platform's TestCalls.h defines it.
inline std::string systemText(int number);

// The refusal, as the save's box shows it: the number and the system's text.
inline bool refusedWith(const FileError& error, int number) {
  return error.number == number && error.description == systemText(number);
}

// Begins, writes `bytes` in pieces of 64 KiB as the save writes a long list,
// and commits; the first failure, or none.
inline FileError replaceWith(const fs::path& file, std::string_view bytes, FileCalls& calls = systemFileCalls()) {
  constexpr std::size_t kPiece = 1 << 16;
  FileReplacement replacement(file, calls);
  if (FileError error = replacement.begin()) return error;
  for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
    if (FileError error = replacement.write(bytes.substr(at, kPiece))) return error;
  }
  return replacement.commit();
}

inline const char* const kNew = "11\r\n13";
inline const char* const kOld = "alt\r\n17\r\n19";

// 50000 entries, about 750 KB: twelve pieces of writing.
inline std::string bigContent() {
  std::string bytes;
  for (int i = 0; i < 50000; ++i) bytes += (i == 0 ? "" : "\r\n") + std::string("1000000000039");
  return bytes;
}

// The file still holds the old content; a mismatch is told by its size and start only,
// as the new content runs to 750 KB.
inline ::testing::AssertionResult holdsOld(const fs::path& file) {
  const std::string bytes = listingtest::ScratchDirectory::read(file);
  if (bytes == kOld) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << file.filename() << " has " << bytes.size()
                                       << " bytes: " << bytes.substr(0, 40);
}

// The temporaries left anywhere under `dir`.
inline long temporariesUnder(const fs::path& dir) {
  return std::count_if(fs::recursive_directory_iterator(dir), {},
                       [](auto& e) { return e.path().extension() == ".tmp"; });
}

// Every name in `dir` but the saved file: temporaries left behind.
inline std::vector<std::string> leftovers(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().filename() != "Primzahlen.txt") names.push_back(entry.path().filename().string());
  }
  return names;
}

// After a failed replacement of kOld by `whole`: the file holds the old
// content, or, rewritten in place, the `writtenInPlace` bytes that reached
// it; no temporary is left, and a later replacement succeeds.
inline void expectRecovered(const fs::path& file, const std::string& whole, std::size_t writtenInPlace,
                            const char* name) {
  if (writtenInPlace > 0) {
    EXPECT_TRUE(listingtest::ScratchDirectory::read(file) == whole.substr(0, writtenInPlace)) << name;
  } else {
    EXPECT_TRUE(holdsOld(file)) << name;
  }
  EXPECT_EQ(leftovers(file.parent_path()), std::vector<std::string>{}) << name;
  EXPECT_FALSE(replaceWith(file, kNew)) << name << ": a later save succeeds";
  EXPECT_EQ(listingtest::ScratchDirectory::read(file), kNew) << name;
}

}  // namespace teilomat::filetest
