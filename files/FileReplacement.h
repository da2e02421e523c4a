// Replaces a file's whole content so that no failure and no kill midway damages it: the portable front of the file
// layer.
#pragma once

#include <filesystem>
#include <memory>
#include <string_view>

#include "files/FileError.h"

namespace teilomat {

// The platform's system calls, the seam through which a test fails any one
// of them: files/posix/FileCalls.h or files/windows/FileCalls.h, whichever
// the build chose. Only tests that inject failures need the whole class.
class FileCalls;
// The real calls, shared by every save of the program.
FileCalls& systemFileCalls();

// At every moment the target holds either its old complete content or the
// new complete content: the new bytes go into a temporary in the target's
// folder, which is flushed to the disk and put in the target's place only
// when every byte is written. A failure removes the temporary and leaves
// the target untouched. Where no temporary can be made beside the target,
// an existing file that may be written is rewritten in place instead: the
// one case in which a failure or a kill midway leaves a partial file.
// What counts as refused, and what the new file keeps of the old one, is
// the platform's: the build compiles files/posix/FileReplacement.cpp or
// files/windows/FileReplacement.cpp, which say it. A name given as UTF-8
// text enters as a char8_t string, which the path turns into UTF-16 on
// Windows. Cost: a handful of system calls around the writes, one flush to
// the disk.
class FileReplacement {
 public:
  explicit FileReplacement(std::filesystem::path target, FileCalls& calls = systemFileCalls());
  // An uncommitted temporary is closed and removed.
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Each step returns no error, or the error of its failure; after a
  // failure the temporary is already gone and the target untouched.
  FileError begin();
  FileError write(std::string_view bytes);
  // Flushes the new content to the disk and puts it in the target's place.
  FileError commit();

 private:
  class State;  // the platform's: what it holds open and learned of the target
  std::unique_ptr<State> state_;
};

}  // namespace teilomat
