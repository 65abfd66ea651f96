#include "support/unicode.h"

#include <windows.h>

namespace {
void Put(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsHigh(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

std::wstring Upper(const std::wstring& w) {
    if (w.empty()) return w;
    std::wstring r(w.size(), L'\0');
    // One UTF-16 unit for each: the case mapping keeps the length.
    const int n = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, w.data(),
                               static_cast<int>(w.size()), r.data(), static_cast<int>(r.size()));
    return n == static_cast<int>(w.size()) ? r : w;
}
} // namespace

std::string Utf8Of(const wchar_t* wide, size_t count) {
    std::string out;
    out.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const wchar_t c = wide[i];
        if (IsHigh(c) && i + 1 < count && IsLow(wide[i + 1])) {
            Put(out, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(wide[i + 1]) - 0xDC00));
            ++i;
        } else {
            Put(out, char32_t(c)); // a lone surrogate too, as itself
        }
    }
    return out;
}

std::string Utf8Of(const std::wstring& wide) {
    return Utf8Of(wide.data(), wide.size());
}

std::wstring WideOf(const std::string& utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    const size_t n = utf8.size();
    for (size_t i = 0; i < n;) {
        const unsigned char b = s[i];
        int extra = b < 0x80             ? 0
                    : (b & 0xE0) == 0xC0 ? 1
                    : (b & 0xF0) == 0xE0 ? 2
                    : (b & 0xF8) == 0xF0 ? 3
                                         : -1;
        char32_t c = extra == 0 ? b : extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
        bool ok = extra >= 0 && i + static_cast<size_t>(extra) < n;
        for (int k = 1; ok && k <= extra; ++k) {
            const unsigned char t = s[i + static_cast<size_t>(k)];
            ok = (t & 0xC0) == 0x80;
            c = (c << 6) | (t & 0x3F);
        }
        // Overlong forms and values beyond Unicode are damage, not text.
        constexpr char32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (!ok || c < least[extra] || c > 0x10FFFF) {
            out += L'\xFFFD';
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

std::wstring WideFromAnsi(const std::string& ansi) {
    if (ansi.empty()) return {};
    const int n =
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring w(n > 0 ? static_cast<size_t>(n) : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), w.data(), n);
    return w;
}

std::string Utf8FromAnsi(const std::string& ansi) {
    return Utf8Of(WideFromAnsi(ansi));
}

std::string AnsiFromUtf8(const std::string& utf8) {
    return AnsiFromWide(WideOf(utf8));
}

std::string AnsiFromWide(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string a(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), a.data(), n, nullptr,
                            nullptr);
    return a;
}

std::string UpperU(const std::string& utf8) {
    return Utf8Of(Upper(WideOf(utf8)));
}

bool SameTextU(const std::string& a, const std::string& b) {
    if (a == b) return true;
    return Upper(WideOf(a)) == Upper(WideOf(b));
}
