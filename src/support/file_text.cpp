#include "support/file_text.h"

#include "support/unicode.h"

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

DWORD WriteWholeFile(const std::string& path, const std::string& text, bool durable) {
    const std::wstring target = WideOf(path), temp = target + L".new";
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError();
    DWORD written = 0, error = 0;
    if (!WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size() || (durable && !FlushFileBuffers(h)))
        error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
    CloseHandle(h);
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0);
    if (!error && !MoveFileExW(temp.c_str(), target.c_str(), flags)) error = GetLastError();
    if (error) DeleteFileW(temp.c_str());
    return error;
}
