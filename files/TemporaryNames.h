// The temporaries beside a file: their names, "." + name + "." + six letters + ".tmp", on every platform.
#pragma once

#include <cstddef>
#include <filesystem>

namespace teilomat {

// The folder a file's name lies in; "." for a bare name.
std::filesystem::path folderOf(const std::filesystem::path& file);

// The temporary of `target`, beside it, named after kTemporaryRandomBytes
// random bytes, or, where the system gave none (`random` null), after a
// count within the process: creating the file exclusively keeps it apart
// from another process's all the same. The leading dot hides it on POSIX.
inline constexpr std::size_t kTemporaryRandomBytes = 6;
std::filesystem::path temporaryOf(const std::filesystem::path& target, const unsigned char* random);

// Whether `entry`, a bare file name, names a temporary of `target`: the
// only files a save's clean-up may remove. Cost: a few compares.
bool isTemporaryOf(const std::filesystem::path& entry, const std::filesystem::path& target);

}  // namespace teilomat
