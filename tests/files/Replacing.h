// A whole replacement as the save runs it, and what the tests of the file layer check after it.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "files/FileReplacement.h"
#include "support/ScratchDirectory.h"

namespace teilomat::filetest {

namespace fs = std::filesystem;

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

// Every name in `dir` but the saved file: temporaries left behind.
inline std::vector<std::string> leftovers(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().filename() != "Primzahlen.txt") names.push_back(entry.path().filename().string());
  }
  return names;
}

}  // namespace teilomat::filetest
