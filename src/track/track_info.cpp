#include "track/track_info.h"

#include <cstring>

#include "host/host.h"
#include "host/wa_ipc.h"
#include "settings/settings.h"
#include "support/supportLumtra.h"
#include "support/unicode.h"

namespace {
bool IsKey(const std::string& field, const char* key) {
    return sStrCompareText(field, key) == 0;
}

std::string PlayStateText() {
    switch (HostQuery(IPC_ISPLAYING)) {
    case 1: return ps.PlayState[0];
    case 3: return ps.PlayState[1];
    default: return ps.PlayState[2];
    }
}

// A decoder that fills the whole buffer leaves no terminating NUL.
std::string ExtendedInfo(const std::string& f, const std::string& field) {
    if (TrackTextsInUnicode()) {
        wchar_t reply[ExtendedInfoRetLen] = {};
        const std::wstring file = WideOf(f), key = WideOf(field);
        TExtendedFileInfoW info{file.c_str(), key.c_str(), reply, ExtendedInfoRetLen};
        if (HostQuery(IPC_GET_EXTENDED_FILE_INFOW, reinterpret_cast<WPARAM>(&info)) != 1) return {};
        return Utf8Of(reply, wcsnlen(reply, ExtendedInfoRetLen));
    }
    char reply[ExtendedInfoRetLen] = {};
    const std::string file = AnsiFromUtf8(f);
    TExtendedFileInfo info{file.c_str(), field.c_str(), reply, ExtendedInfoRetLen};
    if (HostQuery(IPC_GET_EXTENDED_FILE_INFO, reinterpret_cast<WPARAM>(&info)) != 1) return {};
    return Utf8FromAnsi(std::string(reply, strnlen(reply, sizeof reply)));
}

std::string EntryTitle(int32_t PlayListPos) {
    return HostText(IPC_GETPLAYLISTTITLEW, IPC_GETPLAYLISTTITLE, static_cast<WPARAM>(PlayListPos),
                    TrackTextsInUnicode());
}

bool Blank(const std::string& text) {
    return Trim(text).empty();
}

// What the host answered for a stream's artist and title, and the entry they were asked for.
// An update asks for its fields once per template, and every request for a tag goes through
// Winamp's metadata lock and the decoder: a stream is asked once per title it shows. Only the
// current entry is kept.
struct TStreamTags {
    bool known = false;
    bool wide = false;
    std::string file;
    std::string title;
    std::string artistTag;
    std::string titleTag;
};
TStreamTags streamTags;

// Without tags the title is taken the way Winamp builds it from a file name or a station's song:
// "Artist - Song", split at the first dash; a title without one is the song alone.
std::string FromTitle(const std::string& title, bool artist) {
    const size_t dash = title.find(" - ");
    if (dash == std::string::npos) return artist ? std::string() : title;
    return artist ? title.substr(0, dash) : title.substr(dash + 3);
}

std::string ArtistOrTitle(int32_t PlayListPos, const std::string& f, bool artist) {
    if (IsStreamAddress(f)) {
        const std::string title = EntryTitle(PlayListPos);
        const bool wide = TrackTextsInUnicode();
        TStreamTags& t = streamTags;
        if (!t.known || t.wide != wide || t.file != f || t.title != title)
            t = TStreamTags{
                true, wide, f, title, ExtendedInfo(f, "ARTIST"), ExtendedInfo(f, "TITLE")};
        if (!Blank(t.artistTag) || !Blank(t.titleTag)) return artist ? t.artistTag : t.titleTag;
        return FromTitle(title, artist);
    }
    // A file's tags may be edited while it plays: asked every time, the other one only when
    // this one is empty.
    const std::string own = ExtendedInfo(f, artist ? "ARTIST" : "TITLE");
    if (!Blank(own) || !Blank(ExtendedInfo(f, artist ? "TITLE" : "ARTIST"))) return own;
    return FromTitle(EntryTitle(PlayListPos), artist);
}
} // namespace

void ForgetStreamTags() {
    streamTags = TStreamTags{};
}

bool IsStreamAddress(const std::string& file) {
    // Winamp's own test: an address, but neither a CD track nor a local file named as one.
    const auto startsWith = [&](const char* prefix) {
        const std::string p = prefix;
        return file.size() >= p.size() && sStrCompareText(file.substr(0, p.size()), p) == 0;
    };
    return file.find("://") != std::string::npos && !startsWith("cda://") && !startsWith("file://");
}

bool TrackTextsInUnicode() {
    return ps.WinampVer >= HostUnicodeVersion;
}

std::string format2value(int32_t PlayListPos, const std::string& f, const std::string& field) {
    std::string text;
    if (IsKey(field, "COPY"))
        text = EntryTitle(PlayListPos);
    else if (IsKey(field, "ARTIST") || IsKey(field, "TITLE"))
        text = ArtistOrTitle(PlayListPos, f, IsKey(field, "ARTIST"));
    else if (IsKey(field, "FILE"))
        text = ExtractFileNameWithoutExt(f);
    else if (IsKey(field, "PLAYSTATE"))
        text = PlayStateText(); // the user's text, from the settings
    else
        text = ExtendedInfo(f, field);
    return Trim(text);
}
