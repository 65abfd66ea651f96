#include "support/supportLumtra.h"

#include "support/unicode.h"

#include <algorithm>
#include <climits>
#include <cstring>

int sStrCompare(const char* s1, const char* s2, bool CaseSens, bool GetMaxMin) {
    int len1 = -1, len2 = -1;
    if (GetMaxMin) {
        const int shorter = static_cast<int>(std::min(strlen(s1), strlen(s2)));
        len1 = len2 = shorter;
    }
    const int r =
        CompareStringA(LOCALE_USER_DEFAULT, CaseSens ? 0 : NORM_IGNORECASE, s1, len1, s2, len2);
    return r - 2;
}

int sStrCompareText(const std::string& s1, const std::string& s2, bool CaseSens, bool GetMaxMin) {
    return sStrCompare(s1.c_str(), s2.c_str(), CaseSens, GetMaxMin);
}

static std::string FoldCase(const std::string& s, bool upper) {
    std::string r = s;
    if (!r.empty()) {
        const DWORD n = static_cast<DWORD>(r.size());
        upper ? CharUpperBuffA(r.data(), n) : CharLowerBuffA(r.data(), n);
    }
    return r;
}

std::string UpperCase(const std::string& s) {
    return FoldCase(s, true);
}
std::string LowerCase(const std::string& s) {
    return FoldCase(s, false);
}

TRLSResult sRLS_l(const std::string& txtIn, const std::string& txtFor) {
    TRLSResult r = nilTRLSResult;
    r.Source = LowerCase(txtIn);
    r.forLen = static_cast<int32_t>(txtFor.size());
    r.Separator = txtFor;
    r.Position = txtFor.empty() ? 0 : PosEx(LowerCase(txtFor), r.Source);
    if (r.Position > 0) {
        r.Left = txtIn.substr(0, r.Position - 1);
        r.Right = txtIn.substr(r.Position - 1 + r.forLen);
    } else {
        r.Left = txtIn;
    }
    return r;
}

std::string StringReplace(const std::string& S, const std::string& OldPattern,
                          const std::string& NewPattern, unsigned Flags) {
    if (OldPattern.empty()) return S;
    const bool ignoreCase = (Flags & rfIgnoreCase) != 0;
    const std::string pattern = ignoreCase ? UpperCase(OldPattern) : OldPattern;
    const std::string search = ignoreCase ? UpperCase(S) : S;
    std::string result;
    size_t from = 0; // both the rest-to-copy and the search text start here
    while (from < search.size()) {
        const size_t at = search.find(pattern, from);
        if (at == std::string::npos) break;
        result.append(S, from, at - from);
        result += NewPattern;
        from = at + pattern.size();
        if (!(Flags & rfReplaceAll)) break;
    }
    result.append(S, std::min(from, S.size()), std::string::npos);
    return result;
}

int PosEx(const std::string& SubStr, const std::string& S, int Offset) {
    if (SubStr.empty() || Offset < 1) return 0;
    const size_t at = S.find(SubStr, static_cast<size_t>(Offset - 1));
    return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 0x20)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20)
        --e;
    return s.substr(b, e - b);
}

std::string ExtractFileNameWithoutExt(const std::string& FileName) {
    const size_t slash = FileName.rfind(PathDelim);
    std::string name = slash == std::string::npos ? FileName : FileName.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    return name;
}

std::string ReverseString(const std::string& s) {
    return std::string(s.rbegin(), s.rend());
}

std::string LeftStr(const std::string& s, int count) {
    if (count <= 0) return {};
    return s.substr(0, static_cast<size_t>(count));
}

std::string MidStr(const std::string& s, int start, int count) {
    if (start < 1) start = 1;
    if (count <= 0 || static_cast<size_t>(start) > s.size()) return {};
    return s.substr(static_cast<size_t>(start - 1), static_cast<size_t>(count));
}

static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int32_t StrToIntDef(const std::string& S, int32_t Default) {
    size_t i = 0;
    const size_t n = S.size();
    while (i < n && S[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (S[i] == '-' || S[i] == '+')) negative = S[i++] == '-';

    bool hex = false;
    if (i < n && (S[i] == '$' || S[i] == 'x' || S[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && S[i] == '0' && (S[i + 1] == 'x' || S[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n) return Default; // no digits at all

    if (hex) {
        uint32_t v = 0;
        int significant = 0;
        for (; i < n; ++i) {
            const int d = HexDigit(S[i]);
            if (d < 0) return Default;
            if (v != 0 || d != 0) ++significant;
            if (significant > 8) return Default;
            v = (v << 4) | static_cast<uint32_t>(d);
        }
        return static_cast<int32_t>(negative ? 0u - v : v);
    }

    int64_t v = 0;
    for (; i < n; ++i) {
        if (S[i] < '0' || S[i] > '9') return Default;
        v = v * 10 + (S[i] - '0');
        if (v > static_cast<int64_t>(INT32_MAX) + 1) return Default;
    }
    if (negative) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return Default;
    return static_cast<int32_t>(v);
}

std::string GetModuleName(HMODULE module) {
    std::wstring buffer(MAX_PATH + 1, L'\0');
    const DWORD n = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    return Utf8Of(buffer.data(), std::min<size_t>(n, buffer.size()));
}

int32_t GetFileSizeLOW(const std::string& FileName) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(WideOf(FileName).c_str(), GetFileExInfoStandard, &data)) data = {};
    return static_cast<int32_t>(data.nFileSizeLow);
}

std::string StringCPP2String(const std::string& s) {
    std::string r = s;
    const size_t first = r.find("\\n");
    if (first == std::string::npos) return r;
    // A doubled backslash before the first escape means the text was never meant to be
    // converted (a literal "\\n"), so it is left alone.
    if (first > 0 && r[first - 1] == '\\') return r;
    for (size_t at = first; at != std::string::npos; at = r.find("\\n", at + 2)) {
        r[at] = '\r';
        r[at + 1] = '\n';
    }
    return r;
}

std::vector<std::string> ListItems(const std::string& list) {
    std::vector<std::string> items;
    TRLSResult r = sRLS_l(list, ListDelim);
    while (r.Position > 0 && !r.Right.empty()) {
        r = sRLS_l(r.Right, ListDelim);
        items.push_back(r.Left);
    }
    return items;
}

std::vector<std::string> ListItemsFixed(const std::string& list, size_t count) {
    std::vector<std::string> items;
    std::string rest = sRLS_l(list, ListDelim).Right;
    for (size_t i = 0; i < count; ++i) {
        TRLSResult r = sRLS_l(rest, ListDelim);
        items.push_back(r.Left);
        rest = r.Right;
    }
    return items;
}

std::string ListText(const std::vector<std::string>& items) {
    std::string s;
    for (const auto& item : items)
        s += ListDelim + item;
    return s + ListDelim;
}
