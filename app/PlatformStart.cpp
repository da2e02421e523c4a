// Starting on Linux and other Unix systems: the texts to standard output or error; X11 and Wayland need a display
// named; the desktop's font.
#include "app/PlatformStart.h"

#include <cstdio>

namespace teilomat {

void PlatformStart::print(const std::string& text, bool toErrorOutput) {
  std::FILE* stream = toErrorOutput ? stderr : stdout;
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

bool PlatformStart::needsDisplayVariable() { return true; }

QStringList PlatformStart::interfaceFontFamilies() { return {}; }

}  // namespace teilomat
