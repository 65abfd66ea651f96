#include "track/templates.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "host/host.h"
#include "settings/settings.h"
#include "support/supportLumtra.h"
#include "support/unicode.h"
#include "track/track_info.h"

namespace {
// What is left of a template whose fields all came back empty: the playlist title is then
// the more useful text.
bool IsFallback(const std::string& text) {
    return text == " \"\"" || text == " - " || text.empty() || text == vbcrlf || text == " ";
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The placeholder that begins at text[at], in any case, as its index in FormatTitleMask; -1 for
// none. The table's order decides should one placeholder ever begin another.
int PlaceholderAt(const std::string& text, size_t at) {
    for (size_t i = 0; i < FormatTitleMask.size(); ++i) {
        const std::string_view mask = FormatTitleMask[i];
        if (text.size() - at < mask.size()) continue;
        size_t k = 0;
        while (k < mask.size() && AsciiUpper(text[at + k]) == AsciiUpper(mask[k]))
            ++k;
        if (k == mask.size()) return static_cast<int>(i);
    }
    return -1;
}

// A template read once: its own text up to a placeholder, then that placeholder's field (-1
// for the text after the last one).
struct TPiece {
    std::string text;
    int field = -1;
};

std::vector<TPiece> PiecesOf(const std::string& templ) {
    std::vector<TPiece> pieces(1);
    for (size_t at = 0; at < templ.size();) {
        const int f = templ[at] == '%' ? PlaceholderAt(templ, at) : -1;
        if (f < 0) {
            pieces.back().text += templ[at++];
            continue;
        }
        pieces.back().field = f;
        pieces.emplace_back();
        at += std::string_view(FormatTitleMask[static_cast<size_t>(f)]).size();
    }
    return pieces;
}

bool Uses(const std::vector<TPiece>& pieces, size_t field) {
    for (const TPiece& p : pieces)
        if (p.field == static_cast<int>(field)) return true;
    return false;
}
} // namespace

std::string FormatText(const std::string& inp) {
    // Line breaks go in before any track data, so a "\n" inside a tag stays as typed. The
    // template and the result are UTF-8, with the track's fields as Winamp names them.
    const std::vector<TPiece> pieces = PiecesOf(StringCPP2String(inp));
    int32_t pos = 0;
    const std::string f = CurrentPlaylistFileU8(pos, TrackTextsInUnicode());
    // As the hook compares it with the host's ANSI answer (only for an old host, which has
    // nothing but that one).
    ps.CurFile = AnsiFromUtf8(f);

    // Every field is a synchronous request to the host: ask only for those the template uses,
    // once however often they occur, in the table's order. A value is text: a tag such as
    // "Hits of %Year" is shown as it is, never read as a template.
    std::array<std::string, FormatTitleMask.size()> values;
    for (size_t i = 0; i < FormatTitleMask.size(); ++i)
        if (Uses(pieces, i)) values[i] = format2value(pos, f, FormatTitleCmd[i]);
    std::string text;
    for (const TPiece& p : pieces) {
        text += p.text;
        if (p.field >= 0) text += values[static_cast<size_t>(p.field)];
    }
    // Over the values too, as always: the space an empty field leaves between two others goes.
    text = StringReplace(text, "  ", " ", rfIgnoreCase | rfReplaceAll);
    if (IsFallback(text)) return format2value(pos, f, "COPY");

    // The separators of "%Artist - %Title" and "%Artist "%Title"" left dangling by an empty
    // artist.
    if (const TRLSResult r = sRLS_l(text, " - "); r.Position == 1) text = r.Right;
    if (text.size() >= 2 && text[0] == ' ' && text[1] == '"') text.erase(0, 2);
    if (IsFallback(text)) return format2value(pos, f, "COPY");
    return text;
}

bool ShowsPlayState(const std::string& inp) {
    return Uses(PiecesOf(inp), PlayStateField);
}
