// GetLastError(), as CreateFileA on "\\.\COMn" reports it.

#include "PortOpenFailure.h"

#include <windows.h>

TPortFailureKind ClassifyOpenError(int OsError)
{
    switch (static_cast<DWORD>(OsError)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_UNIT:
    case ERROR_INVALID_NAME:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_NOT_READY: return TPortFailureKind::NoDevice;
    // A COM port that another program has open refuses with "access denied";
    // there is no other use of it for a port, so it reads as busy.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY: return TPortFailureKind::Busy;
    default: return TPortFailureKind::Other;
    }
}

std::string OsErrorText(int OsError)
{
    // In the user's language (Russian on a Russian Windows), as UTF-8.
    wchar_t *text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(OsError), 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::wstring wide = length && text ? std::wstring(text, length) : std::wstring();
    if (text)
        LocalFree(text);
    while (!wide.empty() &&
           (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ' || wide.back() == L'.'))
        wide.pop_back();
    if (wide.empty())
        return "error " + std::to_string(static_cast<unsigned long>(OsError));
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}
