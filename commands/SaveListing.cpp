// Command6: writes the entries of List1 into "Primzahlen.txt", one prime per line.
#include <string>

#include "commands/CommandMessages.h"
#include "commands/Commands.h"
#include "files/FileReplacement.h"
#include "numbers/Uint128Text.h"

namespace teilomat {
namespace {

// CR LF separates the entries; the last one is followed by nothing, so the
// ending after it differs from the separator and the file holds exactly the
// list's texts with line breaks between them.
const char* const kSeparator = "\r\n";
constexpr std::size_t kChunkBytes = 1 << 16;

// The same box on every platform; only the number and its description
// are the platform's.
void reportFailure(PlatformServices& services, const FileError& error) {
  services.messageBox("Fehler: " + std::to_string(error.number) + "\r\n" + error.description,
                      messages::kSaveErrorTitle);
}

}  // namespace

// The entries are gathered into chunks of about 64 KiB, so a list of a
// million primes costs a few hundred writes, then one flush to the disk and
// one replacement of the file.
// The file is replaced only when everything was written (FileReplacement):
// a failure or a kill midway leaves the previous save whole, except in a
// folder that takes no new file, where the file is rewritten in place. No
// event pass runs, so the list cannot change meanwhile.
void runSaveListing(OutputSurface& out, PlatformServices& services, const std::filesystem::path& file) {
  FileReplacement replacement(file);
  if (const FileError error = replacement.begin()) return reportFailure(services, error);

  const std::size_t count = out.listCount();
  std::string chunk;
  chunk.reserve(kChunkBytes + 64);
  for (std::size_t i = 0; i < count; ++i) {
    appendDecimalText(chunk, out.listEntry(i));
    if (i + 1 < count) chunk += kSeparator;
    if (chunk.size() >= kChunkBytes || i + 1 == count) {
      if (const FileError error = replacement.write(chunk)) return reportFailure(services, error);
      chunk.clear();
    }
  }
  if (const FileError error = replacement.commit()) return reportFailure(services, error);
}

}  // namespace teilomat
