// The POSIX steps of a file's replacement: a temporary beside it, written, synced and renamed over it, or a rewrite in place.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include <sys/types.h>

#include "files/FileReplacement.h"
#include "files/posix/FileCalls.h"

namespace teilomat {

// The new bytes go into a temporary in the target's folder, which is
// fsynced and renamed over the target only when every byte is written.
//
// - A symbolic link as target is followed: the file it points to is
//   replaced and the link stays.
// - An existing target must be a regular file that the process may write
//   and that has at least one write bit: a file marked read-only is refused
//   with EACCES even for root. A directory in the target's place gives
//   EISDIR, any other kind of file (device, pipe, socket) EINVAL.
// - A folder that takes no new file (no write permission, no write bit at
//   all even for root, or a sticky folder that would refuse the rename over
//   another user's file) is refused with EACCES for a new target; an
//   existing target that may be written is then rewritten in place:
//   truncated, written, flushed and closed, as a plain save would. Only this
//   way can a failure or a kill midway leave a partial file, holding the
//   bytes written before it.
// - The new file gets the old file's mode bits, its group where the process
//   belongs to it, and its owner where the process may (root); a new target
//   gets 0666 less the umask, as any created file. Other hard links to the
//   old file keep the old content (in place: they share the new one).
// - Temporaries are named "." + name + ".XXXXXX.tmp" and locked (flock) by
//   their writer. begin() removes unlocked ones of the same target: the
//   leftovers of a save that was killed. That costs one pass over the
//   folder's entries.
// Every system call goes through `calls`. Held only by its FileReplacement,
// which is never copied.
class FileReplacement::Steps {
 public:
  Steps(std::filesystem::path target, FileCalls& calls);
  // An uncommitted temporary is closed and removed.
  ~Steps();

  // Each step returns 0, or the errno of its failure; after a failure the
  // temporary is already gone and the target untouched.
  int begin();
  int write(std::string_view bytes);
  // fsync, close and rename; then a best-effort fsync of the folder, whose
  // failure no longer matters to the content.
  int commit();

  // The system's text for an errno value.
  std::string describe(int error) const;

 private:
  int resolveTarget();
  int checkTarget();
  int createTemporary();
  void passOnOwnership();
  int openInPlace();
  int fail(int error);

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  FileCalls& calls_;
  int fd_ = -1;
  int lock_ = -1;  // a second descriptor of the temporary: its lock outlives the checked close of fd_
  bool replacesFile_ = false;  // the target exists; its mode and owner pass on
  bool folderClosed_ = false;  // no temporary may be made, or renamed over the target
  bool inPlace_ = false;       // fd_ is the target itself
  mode_t mode_ = 0;
  uid_t owner_ = 0;
  gid_t group_ = 0;
};

}  // namespace teilomat
