// The plugin keeps what clients show in UTF-8, while the tests' plain literals are the ANSI code
// page: texts a client shows are expected as u8 literals.
#pragma once
#include <windows.h>
#include <string>

inline std::string U8(const char8_t* s) {
    return reinterpret_cast<const char*>(s);
}

// A text from one code page to another (CP_ACP, CP_UTF8).
inline std::string Recode(const std::string& s, UINT from, UINT to) {
    if (s.empty()) return s;
    const int n = MultiByteToWideChar(from, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(from, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    const int m = WideCharToMultiByte(to, 0, w.data(), n, nullptr, 0, nullptr, nullptr);
    std::string r(static_cast<size_t>(m > 0 ? m : 0), '\0');
    if (m > 0) WideCharToMultiByte(to, 0, w.data(), n, r.data(), m, nullptr, nullptr);
    return r;
}
// A test's own ANSI literal as the plugin keeps such a text.
inline std::string U8FromAnsi(const std::string& ansi) {
    return Recode(ansi, CP_ACP, CP_UTF8);
}
