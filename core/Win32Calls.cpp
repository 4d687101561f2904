// SPDX-License-Identifier: MIT
#include "Win32Calls.h"

#include "FileSystem.h"

namespace win32files {

int FromError(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return kFileMissing;
    case ERROR_ACCESS_DENIED:
        return kFileRefused;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return kFileExists;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return kFileBusy;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return kFileNoRoom;
    case ERROR_CALL_NOT_IMPLEMENTED:
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
        return kFileUnsupported;
    default:
        return kFileFailed;
    }
}

int LastFailure() {
    return FromError(GetLastError());
}

int Wide(const char* path, std::wstring* pWide) {
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
    if (length <= 0)
        return 0;
    pWide->assign(static_cast<size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, pWide->data(), length) !=
        length)
        return 0;
    pWide->resize(static_cast<size_t>(length) - 1);
    return 1;
}

int Narrow(const std::wstring& wide, std::string* pBytes) {
    pBytes->clear();
    if (wide.empty())
        return 1;
    const int count = static_cast<int>(wide.size());
    const int utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* pUsedDefault = utf8 ? nullptr : &usedDefault;
    const int length =
        WideCharToMultiByte(CP_ACP, flags, wide.data(), count, nullptr, 0, nullptr, pUsedDefault);
    if (length <= 0 || usedDefault)
        return 0;
    pBytes->assign(static_cast<size_t>(length), '\0');
    return WideCharToMultiByte(CP_ACP, flags, wide.data(), count, pBytes->data(), length, nullptr,
                               pUsedDefault) == length &&
           !usedDefault;
}

HANDLE OpenPath(const char* path, DWORD access, DWORD disposition, DWORD flags) {
    std::wstring wide;
    if (!Wide(path, &wide)) {
        SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(wide.c_str(), access, kShareAll, nullptr, disposition, flags, nullptr);
}

int Inspect(const char* path, DWORD flags, BY_HANDLE_FILE_INFORMATION* pInfo) {
    const HANDLE file =
        OpenPath(path, FILE_READ_ATTRIBUTES, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags);
    if (file == INVALID_HANDLE_VALUE)
        return LastFailure();
    int result = GetFileInformationByHandle(file, pInfo) ? 0 : LastFailure();
    if (result == 0 && GetFileType(file) != FILE_TYPE_DISK)
        result = kFileNotPlain;
    CloseHandle(file);
    return result;
}

} // namespace win32files
