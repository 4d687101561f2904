// SPDX-License-Identifier: MIT
// What the Win32 file seam's two halves share: the system's errors in the
// seam's terms, and paths, which are bytes in the system's code page as every
// text of the program, converted with that code page for the wide-character
// calls. A path that does not convert is refused rather than guessed at.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace win32files {

// Every file is opened sharing reading, writing and deleting, so that the
// program never bars another from the file while it has it open.
inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A system error as the seam's failure (see EFileError).
int FromError(DWORD error);
int LastFailure();

// path as the wide-character calls take it; 0 when it is no text of the
// system's code page.
int Wide(const char* path, std::wstring* pWide);
// A wide name as bytes of the system's code page; 0 when some character of it
// has no place there (it cannot be a name this program made).
int Narrow(const std::wstring& wide, std::string* pBytes);

// CreateFileW on path, sharing everything.
HANDLE OpenPath(const char* path, DWORD access, DWORD disposition, DWORD flags);
// What the file at path is, links followed (or not, with
// FILE_FLAG_OPEN_REPARSE_POINT in flags); a folder is told too.
int Inspect(const char* path, DWORD flags, BY_HANDLE_FILE_INFORMATION* pInfo);

} // namespace win32files
