// The plugin's text toolkit: ANSI strings in the system code page, case folded and compared
// by the user's locale so that Cyrillic matches regardless of case just as Latin does.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

// Result of splitting a text at the first occurrence of a separator.
struct TRLSResult {
    std::string Left;
    std::string Right;
    std::string Source;
    std::string Separator;
    std::string Format;
    int32_t Position = 0;
    int32_t forLen = 0;
};
inline const TRLSResult nilTRLSResult{};

enum TReplaceFlags : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };

// Separator of list texts: every item preceded by it, one more at the end.
inline constexpr char ListDelim[] = "||";
inline constexpr char PathDelim = '\\';
inline constexpr char vbcrlf[] = "\r\n";

int sStrCompare(const char* s1, const char* s2, bool CaseSens = false, bool GetMaxMin = false);
int sStrCompareText(const std::string& s1, const std::string& s2, bool CaseSens = false,
                    bool GetMaxMin = false);
std::string UpperCase(const std::string& s);
std::string LowerCase(const std::string& s);
TRLSResult sRLS_l(const std::string& txtIn, const std::string& txtFor);
std::string StringReplace(const std::string& S, const std::string& OldPattern,
                          const std::string& NewPattern, unsigned Flags);
int PosEx(const std::string& SubStr, const std::string& S, int Offset = 1);
std::string Trim(const std::string& s);
std::string ExtractFileNameWithoutExt(const std::string& FileName);
std::string ReverseString(const std::string& s);
std::string LeftStr(const std::string& s, int count);
std::string MidStr(const std::string& s, int start, int count);
int32_t StrToIntDef(const std::string& S, int32_t Default);
// A module's path, and a file's size, by UTF-8 paths (the wide names underneath).
std::string GetModuleName(HMODULE module);
int32_t GetFileSizeLOW(const std::string& FileName);
inline std::string ifthen(bool f, const std::string& a, const std::string& b) {
    return f ? a : b;
}
inline uint32_t ifthen(bool f, uint32_t a, uint32_t b) {
    return f ? a : b;
}
std::string StringCPP2String(const std::string& s);
inline POINT MAKEPOINT(LONG x, LONG y) {
    return POINT{x, y};
}

// List texts ("||a||b||").
std::vector<std::string> ListItems(const std::string& list);
std::vector<std::string> ListItemsFixed(const std::string& list, size_t count);
std::string ListText(const std::vector<std::string>& items);
