#include "support/file_text.h"

#include "support/unicode.h"

#include <cstddef>
#include <cstring>
#include <vector>

bool ReadWholeFile(const std::string& path, std::string& text, DWORD limit) {
    text.clear();
    HANDLE f = CreateFileW(WideOf(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    const DWORD size = GetFileSize(f, nullptr);
    if (size != INVALID_FILE_SIZE && size <= limit) {
        text.resize(size);
        DWORD read = 0;
        if (!ReadFile(f, text.data(), size, &read, nullptr)) read = 0;
        text.resize(read);
    }
    CloseHandle(f);
    return true;
}

namespace {
// ntdll's rename of an open file (FileRenameInformation): what MoveFileEx itself does on every
// Windows since NT, once it has opened the file by name. The same record and call, asked for by
// name.
struct TIoStatus {
    void* status;
    ULONG_PTR information;
};
struct TRenameInformation {
    BOOLEAN replaceIfExists;
    HANDLE rootDirectory;
    ULONG fileNameLength; // in bytes
    WCHAR fileName[1];
};
constexpr int FileRenameInformation = 10;
using TSetInformationFile = LONG(NTAPI*)(HANDLE, TIoStatus*, void*, ULONG, int);

// Asked once at load, not in a guarded static: those bring a runtime that needs newer Windows.
TSetInformationFile FindSetInformationFile() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll ? reinterpret_cast<TSetInformationFile>(
                       reinterpret_cast<void*>(GetProcAddress(ntdll, "NtSetInformationFile")))
                 : nullptr;
}
const TSetInformationFile setInformationFile = FindSetInformationFile();

// The system's own name of a full path: "\??\C:\..." or "\??\UNC\server\share\...".
std::wstring NtName(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return L"\\??\\" + path.substr(4);
    if (path.rfind(L"\\\\", 0) == 0) return L"\\??\\UNC\\" + path.substr(2);
    return L"\\??\\" + path;
}

// Puts the file just written in place of the target through the handle that wrote it. MoveFileEx
// would open it again by name, which costs a lookup of the whole path (under Wine, a request to
// its server as well); the journal is written so before every changing update, which waits for
// it. False when the system would not (a file system without it) or the path is not plain: the
// caller then closes the file and moves it by name.
bool RenameOpenFile(HANDLE h, const std::wstring& target) {
    // Only a plain full path is given to the system as it stands: one with "." or ".." parts or
    // forward slashes, or a relative one, is moved by name.
    const bool drive = target.size() > 3 && target[1] == L':' && target[2] == L'\\';
    if (!setInformationFile || !(drive || target.rfind(L"\\\\", 0) == 0) ||
        target.find(L'/') != std::wstring::npos || target.find(L"\\.\\") != std::wstring::npos ||
        target.find(L"\\..\\") != std::wstring::npos)
        return false;
    const std::wstring name = NtName(target);
    const size_t bytes = name.size() * sizeof(wchar_t);
    std::vector<LONG_PTR> record(
        (offsetof(TRenameInformation, fileName) + bytes + sizeof(LONG_PTR)) / sizeof(LONG_PTR) + 1);
    auto* info = reinterpret_cast<TRenameInformation*>(record.data());
    info->replaceIfExists = TRUE;
    info->rootDirectory = nullptr;
    info->fileNameLength = static_cast<ULONG>(bytes);
    std::memcpy(info->fileName, name.c_str(), bytes);
    TIoStatus io{};
    return setInformationFile(h, &io, info, static_cast<ULONG>(record.size() * sizeof(LONG_PTR)),
                              FileRenameInformation) >= 0;
}
} // namespace

DWORD WriteWholeFile(const std::string& path, const std::string& text, bool durable) {
    const std::wstring target = WideOf(path), temp = target + L".new";
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError();
    DWORD written = 0, error = 0;
    if (!WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size() || (durable && !FlushFileBuffers(h)))
        error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
    // A durable file is moved with MOVEFILE_WRITE_THROUGH, which the rename by handle lacks.
    const bool inPlace = !error && !durable && RenameOpenFile(h, target);
    CloseHandle(h);
    if (inPlace) return 0;
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0);
    if (!error && !MoveFileExW(temp.c_str(), target.c_str(), flags)) error = GetLastError();
    if (error) DeleteFileW(temp.c_str());
    return error;
}
