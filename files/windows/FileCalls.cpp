// The plain Win32 calls behind FileCalls.
#include "files/windows/FileCalls.h"

#include <bcrypt.h>

#include "files/FileReplacement.h"

namespace teilomat {

HANDLE FileCalls::CreateFileW(LPCWSTR path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  return ::CreateFileW(path, access, share, nullptr, disposition, flags, nullptr);
}
BOOL FileCalls::WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written) {
  return ::WriteFile(file, data, size, written, nullptr);
}
BOOL FileCalls::SetEndOfFile(HANDLE file) { return ::SetEndOfFile(file); }
BOOL FileCalls::FlushFileBuffers(HANDLE file) { return ::FlushFileBuffers(file); }
BOOL FileCalls::CloseHandle(HANDLE handle) { return ::CloseHandle(handle); }
DWORD FileCalls::GetFinalPathNameByHandleW(HANDLE file, LPWSTR path, DWORD size, DWORD flags) {
  return ::GetFinalPathNameByHandleW(file, path, size, flags);
}

DWORD FileCalls::GetFileAttributesW(LPCWSTR path) { return ::GetFileAttributesW(path); }
BOOL FileCalls::MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) { return ::MoveFileExW(from, to, flags); }
BOOL FileCalls::DeleteFileW(LPCWSTR path) { return ::DeleteFileW(path); }

HANDLE FileCalls::FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* entry) { return ::FindFirstFileW(pattern, entry); }
BOOL FileCalls::FindNextFileW(HANDLE search, WIN32_FIND_DATAW* entry) { return ::FindNextFileW(search, entry); }
BOOL FileCalls::FindClose(HANDLE search) { return ::FindClose(search); }

void FileCalls::Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }
bool FileCalls::BCryptGenRandom(unsigned char* buffer, ULONG size) {
  return BCRYPT_SUCCESS(::BCryptGenRandom(nullptr, buffer, size, BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}
DWORD FileCalls::FormatMessageW(DWORD error, LPWSTR text, DWORD size) {
  return ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, size,
                          nullptr);
}

FileCalls& systemFileCalls() {
  static FileCalls calls;
  return calls;
}

}  // namespace teilomat
