// Starting on Windows: the texts to the starter's redirection or console (AttachConsole); the desktop is always there;
// the interface font.
#include "app/PlatformStart.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <string>

namespace teilomat {
namespace {

bool usable(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

// The console of the starting program (cmd.exe, PowerShell), attached once;
// null when the program was started without one (from the Start menu).
// Attaching costs a call into the console host, once.
HANDLE parentConsole() {
  static const HANDLE console = [] {
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return HANDLE{nullptr};
    const HANDLE output = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    return usable(output) ? output : HANDLE{nullptr};
  }();
  return console;
}

// A console gets UTF-16 (WriteConsoleW), whatever its code page; a file or a
// pipe gets the UTF-8 bytes, as on Linux. False when nothing could be written.
bool writeTo(HANDLE target, const std::string& text) {
  DWORD mode = 0;
  DWORD written = 0;
  if (!GetConsoleMode(target, &mode))
    return WriteFile(target, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
  const int size = static_cast<int>(text.size());
  std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
  return WriteConsoleW(target, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
}

}  // namespace

// The handle the starter gave comes first: a redirection (teilomat --help >
// hilfe.txt, a pipe) is kept. A GUI program started from a console without
// one has no usable handle, or one of a console it is not attached to, which
// takes nothing: then the text goes to the starter's console.
void PlatformStart::print(const std::string& text, bool toErrorOutput) {
  if (text.empty()) return;
  const HANDLE given = GetStdHandle(toErrorOutput ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if (usable(given) && GetFileType(given) != FILE_TYPE_UNKNOWN && writeTo(given, text)) return;
  if (const HANDLE console = parentConsole()) writeTo(console, text);
}

bool PlatformStart::needsDisplayVariable() { return false; }

// Qt's default font on Windows is "MS Shell Dlg", which Windows maps to its
// interface font and Wine without Windows' fonts to a serif face. Segoe UI
// is Windows' interface font since Vista, Tahoma before; then the sans serifs
// a Linux machine lends Wine.
QStringList PlatformStart::interfaceFontFamilies() {
  return {QStringLiteral("Segoe UI"), QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"),
          QStringLiteral("Liberation Sans"), QStringLiteral("Arial")};
}

}  // namespace teilomat
