// The Win32 calls of the file layer, behind virtual functions: the seam through which a test fails any one of them.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace teilomat {

// Every call the Windows file layer makes to the system goes through this
// table, so that a test can fail any step. Each call behaves like the Win32
// function of its name: it returns what that function returns and leaves
// its error for GetLastError. CreateFileW takes no security attributes and
// no template; BCryptGenRandom draws from the system's preferred generator.
// A test derives from this class and overrides one call to fail at a chosen
// moment with a chosen error (SetLastError); the other calls keep reaching
// the real file system. Cost: one indirect call beside each system call.
class FileCalls {
 public:
  virtual ~FileCalls() = default;

  // Handles.
  virtual HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, DWORD disposition, DWORD flags);
  virtual BOOL WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written);
  virtual BOOL SetEndOfFile(HANDLE file);
  virtual BOOL FlushFileBuffers(HANDLE file);
  virtual BOOL CloseHandle(HANDLE handle);
  virtual DWORD GetFinalPathNameByHandleW(HANDLE file, LPWSTR path, DWORD size, DWORD flags);

  // Names.
  virtual DWORD GetFileAttributesW(LPCWSTR path);
  virtual BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags);
  virtual BOOL DeleteFileW(LPCWSTR path);

  // Folders.
  virtual HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* entry);
  virtual BOOL FindNextFileW(HANDLE search, WIN32_FIND_DATAW* entry);
  virtual BOOL FindClose(HANDLE search);

  // The process.
  virtual void Sleep(DWORD milliseconds);
  virtual bool BCryptGenRandom(unsigned char* buffer, ULONG size);     // true: drawn
  virtual DWORD FormatMessageW(DWORD error, LPWSTR text, DWORD size);  // the system's text, user's language
};

}  // namespace teilomat
