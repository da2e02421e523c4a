// The portable front of the file layer: hands each step to the platform's steps and names its errors.
#include "files/FileReplacement.h"

#include <utility>

// The platform's steps, from files/posix or files/windows: the build puts
// the one it chose on the include path.
#include "ReplacementSteps.h"

namespace teilomat {
namespace {

FileError errorOf(const FileReplacement::Steps& steps, int number) {
  if (number == 0) return {};
  return {number, steps.describe(number)};
}

}  // namespace

FileReplacement::FileReplacement(std::filesystem::path target, FileCalls& calls)
    : steps_(std::make_unique<Steps>(std::move(target), calls)) {}

FileReplacement::~FileReplacement() = default;

FileError FileReplacement::begin() { return errorOf(*steps_, steps_->begin()); }
FileError FileReplacement::write(std::string_view bytes) { return errorOf(*steps_, steps_->write(bytes)); }
FileError FileReplacement::commit() { return errorOf(*steps_, steps_->commit()); }

}  // namespace teilomat
