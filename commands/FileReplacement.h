// Replaces a file's whole content in one atomic step: a temporary beside it, written, synced and renamed over it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include <sys/types.h>

#include "commands/FileCalls.h"

namespace teilomat {

// At every moment the target holds either its old complete content or the
// new complete content: the new bytes go into a temporary in the target's
// folder, which is flushed to the disk and renamed over the target only
// when every byte is written. Any failure removes the temporary and leaves
// the target untouched.
//
// - A symbolic link as target is followed: the file it points to is
//   replaced and the link stays.
// - An existing target must be a regular file that the process may write
//   and that has at least one write bit: a file marked read-only is refused
//   with EACCES even for root. A folder without any write bit is refused the
//   same way. A directory in the target's place gives EISDIR, any other kind
//   of file (device, pipe, socket) EINVAL.
// - The new file gets the old file's mode bits and, where the process may,
//   its owner; a new target gets 0666 less the umask, as any created file.
//   Other hard links to the old file keep the old content.
// - Temporaries are named "." + name + ".XXXXXX.tmp" and locked (flock) by
//   their writer. begin() removes unlocked ones of the same target: the
//   leftovers of a save that was killed. That costs one pass over the
//   folder's entries.
class FileReplacement {
 public:
  FileReplacement(std::filesystem::path target, FileCalls& calls);
  // An uncommitted temporary is closed and removed.
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Each step returns 0, or the errno of its failure; after a failure the
  // temporary is already gone and the target untouched.
  int begin();
  int write(std::string_view bytes);
  // fsync, close and rename; then a best-effort fsync of the folder, whose
  // failure no longer matters to the content.
  int commit();

  // Whether `entry` (a bare file name) is a temporary of the target `name`.
  static bool isTemporaryOf(const std::string& entry, const std::string& name);

 private:
  int resolveTarget();
  int checkTarget();
  int createTemporary();
  int fail(int error);

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  FileCalls& calls_;
  int fd_ = -1;
  bool replacesFile_ = false;  // the target exists; its mode and owner pass on
  mode_t mode_ = 0;
  uid_t owner_ = 0;
  gid_t group_ = 0;
};

}  // namespace teilomat
