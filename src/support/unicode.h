// Texts that come from or go to other programs' windows are kept in UTF-8 inside the plugin, so
// that nothing a user typed in a Unicode client is lost on the way through: the ANSI code page is
// met only at the edges (an ANSI window, the INI file, an ANSI request to Winamp).
//
// Any UTF-16 text converts losslessly, also one that is not valid UTF-16: a lone surrogate is
// kept as its own three-byte sequence (the generalised UTF-8 that carries such texts), so a
// user's status comes back exactly as it was read, whatever it holds.
#pragma once
#include <string>

std::string Utf8Of(const std::wstring& wide);
std::string Utf8Of(const wchar_t* wide, size_t count);
// Bytes that are no UTF-8 at all (a damaged file) become U+FFFD each.
std::wstring WideOf(const std::string& utf8);

// The ANSI code page's text as UTF-8, and back: characters the code page lacks become what the
// system's own conversion makes of them (as when an ANSI window is sent a Unicode text).
std::string Utf8FromAnsi(const std::string& ansi);
std::string AnsiFromUtf8(const std::string& utf8);
// The same between the ANSI code page and UTF-16 (the wide functions of the system).
std::wstring WideFromAnsi(const std::string& ansi);
std::string AnsiFromWide(const std::wstring& wide);

// Whether two texts are the same when case is ignored, by the user's locale, for every alphabet.
// Exact otherwise: no character counts as nothing (a comparison by sort weight would take
// "♥ Busy" for " Busy").
bool SameTextU(const std::string& a, const std::string& b);
// The text in upper case, as SameTextU compares it.
std::string UpperU(const std::string& utf8);
