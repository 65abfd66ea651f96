// The plugin keeps what clients show in UTF-8, while the tests' plain literals are the ANSI code
// page: texts a client shows are expected as u8 literals.
#pragma once
#include <windows.h>
#include <string>

inline std::string U8(const char8_t* s) {
    return reinterpret_cast<const char*>(s);
}

// Texts between code pages (CP_ACP, CP_UTF8) and UTF-16.
inline std::wstring Wide(const std::string& s, UINT codePage = CP_UTF8) {
    const int n =
        MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}
inline std::string Narrow(const std::wstring& w, UINT codePage) {
    const int n = WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string s(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                            nullptr);
    return s;
}
inline std::string Recode(const std::string& s, UINT from, UINT to) {
    return Narrow(Wide(s, from), to);
}
// A test's own ANSI literal as the plugin keeps such a text.
inline std::string U8FromAnsi(const std::string& ansi) {
    return Recode(ansi, CP_ACP, CP_UTF8);
}
