// The temporaries' names, built and recognised in the platform's own characters (UTF-16 on Windows).
#include "files/TemporaryNames.h"

namespace teilomat {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTemporarySuffix = ".tmp";

// "." + name + ".", the start of every temporary of `target`.
fs::path temporaryHead(const fs::path& target) {
  fs::path head = ".";
  head += target.filename();
  head += ".";
  return head;
}

}  // namespace

fs::path folderOf(const fs::path& file) { return file.has_parent_path() ? file.parent_path() : fs::path("."); }

fs::path temporaryOf(const fs::path& target, const unsigned char* random) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  constexpr std::size_t kCount = sizeof kLetters - 1;
  static std::size_t serial = 0;
  unsigned char counted[kTemporaryRandomBytes];
  if (random == nullptr) {
    std::size_t n = serial++;
    for (unsigned char& byte : counted) {
      byte = static_cast<unsigned char>(n % kCount);
      n /= kCount;
    }
    random = counted;
  }
  fs::path name = temporaryHead(target);
  for (std::size_t i = 0; i < kTemporaryRandomBytes; ++i) name += kLetters[random[i] % kCount];
  name += kTemporarySuffix;
  return folderOf(target) / name;
}

bool isTemporaryOf(const fs::path& entry, const fs::path& target) {
  const fs::path head = temporaryHead(target), tail = kTemporarySuffix;
  const auto& name = entry.native();
  return name.size() == head.native().size() + kTemporaryRandomBytes + tail.native().size() &&
         name.starts_with(head.native()) && name.ends_with(tail.native());
}

}  // namespace teilomat
