// Reading one track field from the host.
#include <gtest/gtest.h>

#include "common/texts.h"
#include "host/wa_ipc.h"
#include "settings/settings.h"
#include "track/track_info.h"
#include "track/track_fixture.h"

namespace {
using FieldTest = TrackTest;

const HostMsg AskTagSeq[] = {Ipc(IPC_GET_EXTENDED_FILE_INFO), {0}};
const HostMsg AskNothingSeq[] = {{0}};
} // namespace

TEST_F(FieldTest, TagIsAskedByItsKeyAndTrimmed) {
    entry().tags["ALBUM"] = " Greatest\tHits \r\n";
    EXPECT_EQ("Greatest\tHits", format2value(0, SongFile, "ALBUM"));
    ExpectHostSeq(host, AskTagSeq, "AskTagSeq");
    EXPECT_EQ(std::vector<std::string>{"ALBUM"}, host.tagQueries());
}

TEST_F(FieldTest, TagFillingTheWholeBufferIsTakenAs256Characters) {
    entry().tags["COMMENT"] = std::string(300, 'x');
    EXPECT_EQ(std::string(256, 'x'), format2value(0, SongFile, "COMMENT"));
}

TEST_F(FieldTest, MissingTagOrAReplyOtherThanOneGivesNothing) {
    EXPECT_EQ("", format2value(0, SongFile, "YEAR"));
    // The host wrote the tag into the buffer, but did not say it succeeded.
    entry().tags["ALBUM"] = "Greatest Hits";
    host.options.tagReply = 2;
    EXPECT_EQ("", format2value(0, SongFile, "ALBUM"));
}

// Winamp's decoders answer no tags for an address, nor for a file that carries none: the artist
// and the title are then those of the title Winamp shows for the entry. A tag of either kind
// keeps both as the host gives them.
TEST_F(FieldTest, WithoutTagsTheArtistAndTitleAreThoseOfThePlaylistTitle) {
    using Tags = std::map<std::string, std::string>;
    const struct {
        const char* file;
        const char* title;
        Tags tags;
        const char* artist;
        const char* song;
    } rows[] = {
        {StreamFile, "Band - Song", {}, "Band", "Song"},
        {StreamFile, "Radio X Live", {}, "", "Radio X Live"},
        {StreamFile, "A - B - C", {}, "A", "B - C"},
        {StreamFile, "  Band  -  Song\t", {}, "Band", "Song"},
        {StreamFile, "Band-Song", {}, "", "Band-Song"},
        {StreamFile, "Other - Tune", {{"ARTIST", "Band"}, {"TITLE", "Song"}}, "Band", "Song"},
        {SongFile, "Other - Tune", {{"ARTIST", "Band"}, {"TITLE", "Song"}}, "Band", "Song"},
        {SongFile, "Artist - Song", {}, "Artist", "Song"},
        {SongFile, "Artist - Song", {{"TITLE", "Song"}}, "", "Song"},
        {SongFile, "Artist - Song", {{"ARTIST", "Band"}}, "Band", ""},
        {SongFile, "Artist - Song", {{"ARTIST", " "}, {"TITLE", "\r\n"}}, "Artist", "Song"},
    };
    for (const int version : {0x5012, 0x5666}) {
        ps.WinampVer = version;
        for (const auto& r : rows) {
            host.options.playlist = {FakeEntry{r.file, r.title, r.tags}};
            EXPECT_EQ(r.artist, format2value(0, r.file, "ARTIST")) << r.title << " " << version;
            EXPECT_EQ(r.song, format2value(0, r.file, "TITLE")) << r.title << " " << version;
        }
    }
}

TEST_F(FieldTest, CopyIsThePlaylistTitleOfThatPosition) {
    host.options.playlist.push_back(FakeEntry{"D:\\b.mp3", "  Other Title ", {}});
    EXPECT_EQ("Band - Song", format2value(0, SongFile, "COPY"));
    EXPECT_EQ("Other Title", format2value(1, SongFile, "copy"));
    const HostMsg AskTitlesSeq[] = {{WM_WA_IPC, hostWparam | hostLparam, 0, IPC_GETPLAYLISTTITLE},
                                    {WM_WA_IPC, hostWparam | hostLparam, 1, IPC_GETPLAYLISTTITLE},
                                    {0}};
    ExpectHostSeq(host, AskTitlesSeq, "AskTitlesSeq");

    entry().nullTitle = true;
    EXPECT_EQ("", format2value(0, SongFile, "COPY"));
}

TEST_F(FieldTest, FileComesFromThePathWithoutAskingTheHost) {
    EXPECT_EQ("Band - Song", format2value(0, SongFile, "File"));
    EXPECT_EQ("a.b", format2value(0, "D:\\My.Music\\a.b.flac", "FILE"));
    EXPECT_EQ("http://radio.example/live",
              format2value(0, "http://radio.example/live.mp3", "FILE"));
    ExpectHostSeq(host, AskNothingSeq, "AskNothingSeq");
}

TEST_F(FieldTest, PlayStateFollowsTheHostsAnswer) {
    const std::pair<LRESULT, const char*> cases[] = {
        {1, "[PLAY]"}, {3, "[PAUSE]"}, {0, "[STOP]"}, {2, "[STOP]"}, {-1, "[STOP]"}};
    for (const auto& [state, text] : cases) {
        host.options.playState = state;
        EXPECT_EQ(text, format2value(0, SongFile, "PlayState")) << "state " << state;
    }
    ps.PlayState = {"Играю", "Пауза", ""};
    host.options.playState = 0;
    EXPECT_EQ("", format2value(0, SongFile, "PLAYSTATE"));
}

TEST_F(FieldTest, EmptyPlaylistGivesEmptyFieldsButThePlayState) {
    host.options.playlist.clear();
    host.options.playState = 0;
    for (const char* key : FormatTitleCmd) {
        const std::string value = format2value(0, "", key);
        if (std::string(key) == "PLAYSTATE")
            EXPECT_EQ("[STOP]", value);
        else
            EXPECT_EQ("", value) << key;
    }
}

// From Winamp 5.13 on, the fields are asked in Unicode and come back exactly; an answer that is no
// readable string (0 or 1 from a host that does not know the request, a stray value) falls back
// to the ANSI request, and an older host is asked in ANSI only.
TEST_F(FieldTest, AUnicodeHostGivesTheTrackAsItNamesItAndAnythingElseFallsBack) {
    const std::string title = U8(u8"1. Björk – Jóga 日本"), artist = U8(u8"Sigur Rós ♫");
    entry().titleW = L"1. Bj\u00f6rk \u2013 J\u00f3ga \u65e5\u672c";
    entry().tagsW["ARTIST"] = L"Sigur R\u00f3s \u266b";
    const struct {
        const char* what;
        int version;
        LRESULT titleAnswer;
        const char* expectedAnsiTitle; // null: the Unicode title
        LPARAM firstRequest;
    } rows[] = {
        {"Winamp 5.13", 0x5013, -1, nullptr, IPC_GETPLAYLISTTITLEW},
        {"answers 0", 0x5666, 0, "Band - Song", IPC_GETPLAYLISTTITLEW},
        {"answers 1", 0x5666, 1, "Band - Song", IPC_GETPLAYLISTTITLEW},
        {"answers garbage", 0x5666, 0x1234, "Band - Song", IPC_GETPLAYLISTTITLEW},
        {"Winamp 5.12", 0x5012, -1, "Band - Song", IPC_GETPLAYLISTTITLE},
    };
    for (const auto& r : rows) {
        ps.WinampVer = r.version;
        entry().titleWAnswer = r.titleAnswer;
        host.Flush();
        EXPECT_EQ(r.expectedAnsiTitle ? std::string(r.expectedAnsiTitle) : title,
                  format2value(0, SongFile, "COPY"))
            << r.what;
        ASSERT_FALSE(host.received().empty()) << r.what;
        EXPECT_EQ(r.firstRequest, host.received()[0].lParam) << r.what;
        EXPECT_EQ(r.version >= 0x5013 ? artist : std::string("Band"),
                  format2value(0, SongFile, "ARTIST"))
            << r.what;
    }
}
