// A failed step of the file layer: the platform's error number and its description, as the save's box shows them.
#pragma once

#include <string>

namespace teilomat {

// The number is the platform's own (errno on POSIX, GetLastError on
// Windows), so that a user can look it up; the description is the system's
// text for it in the user's language where the system has one. Number 0
// with an empty description is success.
struct FileError {
  int number = 0;
  std::string description;

  explicit operator bool() const { return number != 0; }
};

}  // namespace teilomat
