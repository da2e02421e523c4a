// The portable front of the file layer: hands each step to the platform's steps and names its errors.
#include "files/FileReplacement.h"

#include <utility>

// The platform's steps, from files/posix or files/windows: the build puts
// the one it chose on the include path.
#include "ReplacementSteps.h"

namespace teilomat {
namespace {

FileError errorOf(int number) {
  if (number == 0) return {};
  return {number, FileReplacement::Steps::describe(number)};
}

}  // namespace

FileReplacement::FileReplacement(std::filesystem::path target, FileCalls& calls)
    : steps_(std::make_unique<Steps>(std::move(target), calls)) {}

FileReplacement::~FileReplacement() = default;

FileError FileReplacement::begin() { return errorOf(steps_->begin()); }
FileError FileReplacement::write(std::string_view bytes) { return errorOf(steps_->write(bytes)); }
FileError FileReplacement::commit() { return errorOf(steps_->commit()); }

}  // namespace teilomat
