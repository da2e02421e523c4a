// Command6: writes the entries of List1 into "Primzahlen.txt", one prime per line.
#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

#include "commands/CommandMessages.h"
#include "commands/Commands.h"

namespace teilomat {
namespace {

// Every entry, the last one included, ends with CR LF: one prime per line,
// and a file that ends with a line break, as line-oriented tools expect.
const char* const kLineEnd = "\r\n";
constexpr std::size_t kChunkBytes = 1 << 16;

// The error of the failed call, or EIO when the C library left errno unset.
int lastError() { return errno != 0 ? errno : EIO; }

void reportFailure(PlatformServices& services, int error) {
  services.messageBox("Fehler: " + std::to_string(error) + "\r\n" +
                          std::system_category().message(error),
                      messages::kSaveErrorTitle);
}

// Writes `bytes` whole; false (errno set) when the C library wrote less.
bool writeAll(std::FILE* file, const std::string& bytes) {
  errno = 0;
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

}  // namespace

// The entries are gathered into chunks of about 64 KiB, so a list of a
// million primes costs a few hundred writes. Every write and the closing
// are checked: a full disk often shows only when the buffer is flushed at
// the close. No event pass runs, so the list cannot change meanwhile.
void runSaveListing(OutputSurface& out, PlatformServices& services,
                    const std::filesystem::path& file) {
  errno = 0;
  std::FILE* stream = std::fopen(file.string().c_str(), "wb");  // created, or emptied
  if (stream == nullptr) return reportFailure(services, lastError());

  const std::size_t count = out.listCount();
  std::string chunk;
  chunk.reserve(kChunkBytes + 64);
  for (std::size_t i = 0; i < count; ++i) {
    chunk += out.listEntry(i);
    chunk += kLineEnd;
    if (chunk.size() >= kChunkBytes || i + 1 == count) {
      if (!writeAll(stream, chunk)) {
        const int error = lastError();
        std::fclose(stream);  // what was written stays; the first error is the one to report
        return reportFailure(services, error);
      }
      chunk.clear();
    }
  }
  errno = 0;
  if (std::fclose(stream) != 0) return reportFailure(services, lastError());
}

}  // namespace teilomat
