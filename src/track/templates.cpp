#include "track/templates.h"

#include <cstdint>

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
} // namespace

std::string FormatText(const std::string& inp) {
    // Line breaks go in before any track data, so a "\n" inside a tag stays as typed. The
    // template is the user's ANSI text; the result is UTF-8, with the track's fields as Winamp
    // names them.
    std::string text = Utf8FromAnsi(StringCPP2String(inp));
    int32_t pos = 0;
    const std::string f = CurrentPlaylistFileU8(pos, TrackTextsInUnicode());
    // As the hook compares it with the host's ANSI answer (only for an old host, which has
    // nothing but that one).
    ps.CurFile = AnsiFromUtf8(f);

    // Every field is a synchronous request to the host: ask only for those the text uses, and
    // only once however often they occur.
    for (size_t i = 0; i < FormatTitleMask.size(); ++i) {
        if (sRLS_l(text, FormatTitleMask[i]).Position > 0)
            text = StringReplace(text, FormatTitleMask[i], format2value(pos, f, FormatTitleCmd[i]),
                                 rfIgnoreCase | rfReplaceAll);
    }
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
    return sRLS_l(inp, FormatTitleMask[PlayStateField]).Position > 0;
}
