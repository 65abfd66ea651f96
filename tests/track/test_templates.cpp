// Building status texts from templates against the scripted host.
#include <gtest/gtest.h>

#include "common/texts.h"
#include "host/wa_ipc.h"
#include "settings/settings.h"
#include "track/templates.h"
#include "track/track_fixture.h"

namespace {
class TemplateTest : public TrackTest {
  protected:
    void Tags(const char* artist, const char* title) {
        entry().tags = {{"ARTIST", artist}, {"TITLE", title}};
    }
};

const char QuotedTemplate[] = "%Artist \"%Title\"";
} // namespace

TEST_F(TemplateTest, PlainTextStillAsksForTheCurrentEntry) {
    host.options.playlist.push_back(FakeEntry{"D:\\Other.ogg", "Other", {}});
    host.options.position = 1;
    ps.CurFile = "old";
    EXPECT_EQ(U8(u8"Слушаю"), FormatText(U8(u8"Слушаю")));
    EXPECT_EQ("D:\\Other.ogg", ps.CurFile);
    const HostMsg AskEntrySeq[] = {
        Ipc(IPC_GETLISTPOS), {WM_WA_IPC, hostWparam | hostLparam, 1, IPC_GETPLAYLISTFILE}, {0}};
    ExpectHostSeq(host, AskEntrySeq, "AskEntrySeq");
}

TEST_F(TemplateTest, EachOccurringPlaceholderCostsOneRequestWhateverItsCase) {
    EXPECT_EQ("Band - Song", FormatText("%artist - %TITLE"));
    EXPECT_EQ("Band Band Band", FormatText("%Artist %ARTIST %artist"));
    // One placeholder asked once, absent ones never; %Bitrate is no placeholder at all.
    host.Flush();
    EXPECT_EQ("Song/Song %Bitrate", FormatText("%Title/%title %Bitrate"));
    const HostMsg AskTitleOnceSeq[] = {
        Ipc(IPC_GETLISTPOS), Ipc(IPC_GETPLAYLISTFILE), Ipc(IPC_GET_EXTENDED_FILE_INFO), {0}};
    ExpectHostSeq(host, AskTitleOnceSeq, "AskTitleOnceSeq");
    EXPECT_EQ(std::vector<std::string>{"TITLE"}, host.tagQueries());
}

TEST_F(TemplateTest, EmptyFieldsAroundTheDash) {
    Tags("", "Song");
    EXPECT_EQ("Song", FormatText("%Artist - %Title"));
    Tags("Band", "");
    EXPECT_EQ("Band - ", FormatText("%Artist - %Title")); // nothing is removed at the end
    Tags("", ""); // no tags: those of the title "Band - Song"
    EXPECT_EQ("Band - Song", FormatText("%Artist - %Title"));
    EXPECT_EQ("Band Song", FormatText("%Artist %Title"));
    EXPECT_EQ("Band - Song", FormatText("%Album %Genre")); // the lone space falls back too
}

TEST_F(TemplateTest, EmptyFieldsAroundTheQuotes) {
    EXPECT_EQ("Band \"Song\"", FormatText(QuotedTemplate));
    Tags("", "Song");
    EXPECT_EQ("Song\"", FormatText(QuotedTemplate));
    Tags("", ""); // no tags: those of the title "Band - Song"
    EXPECT_EQ("Band \"Song\"", FormatText(QuotedTemplate));
}

TEST_F(TemplateTest, PrefixesGoOnlyOnceAndOnlyAtTheStart) {
    Tags("", "x - y");
    EXPECT_EQ("x - y", FormatText("%Artist - %Title"));
    EXPECT_EQ("- a - b", FormatText(" - - a - b"));
    EXPECT_EQ("- a", FormatText(" -  - a")); // the double space is merged first
    EXPECT_EQ(" \" a", FormatText(" \" \" a"));
    EXPECT_EQ("Intro - ", FormatText("Intro - %Artist"));
}

TEST_F(TemplateTest, FallbackUsesThePlaylistTitleEvenWhenEmpty) {
    entry().title = "";
    EXPECT_EQ("", FormatText("%Copy"));
    EXPECT_EQ("", FormatText("%Album"));
    entry().title = "Band - Song";
    EXPECT_EQ("Band - Song", FormatText("\\n")); // a line break alone says nothing either
    EXPECT_EQ("Band - Song", FormatText(" - %Album"));
}

TEST_F(TemplateTest, DoubleSpacesAreHalvedInOnePass) {
    EXPECT_EQ("Band  Song", FormatText("%Artist   %Title"));
    EXPECT_EQ("Band  Song", FormatText("%Artist    %Title"));
    Tags("Band ", " Song");
    EXPECT_EQ("Band Song", FormatText("%Artist %Title")); // the tags are trimmed
}

TEST_F(TemplateTest, DefaultTrayTemplateKeepsItsLabels) {
    const std::string tray = defPS.DlgControlsV[IDC_Tray];
    EXPECT_EQ(U8(u8"Файл: Band - Song\r\nИсполнитель: Band\r\nНазвание: Song"), FormatText(tray));
    Tags("", "");
    entry().title = "Radio X Live";
    EXPECT_EQ(U8(u8"Файл: Band - Song\r\nИсполнитель: \r\nНазвание: Radio X Live"),
              FormatText(tray));
}

// A stream has no tags: its artist and song are those of the title Winamp shows for it.
TEST_F(TemplateTest, AStreamShowsTheSongOfItsTitle) {
    const struct {
        const char* title;
        const char* templ;
        const char* expected;
    } rows[] = {
        {"Band - Song", "%Artist - %Title", "Band - Song"},
        {"Band - Song", "%Title", "Song"},
        {"Band - Song", QuotedTemplate, "Band \"Song\""},
        {"Radio X Live", "%Artist - %Title", "Radio X Live"},
        {"Radio X Live", "%Artist", "Radio X Live"}, // nothing left: the title as a whole
        {"A - B - C", "%Artist: %Title", "A: B - C"},
    };
    for (const auto& r : rows) {
        host.options.playlist = {FakeEntry{StreamFile, r.title, {}}};
        EXPECT_EQ(r.expected, FormatText(r.templ)) << r.title << " / " << r.templ;
    }
}

// An update builds three texts, each asking for its fields. A stream is asked for its tags once
// per song (a new song is a new title); a file at every text, as its tags may be edited while it
// plays.
TEST_F(TemplateTest, AStreamIsAskedForItsTagsOncePerTitle) {
    const std::string texts[] = {"%Artist - %Title", "%Title", defPS.DlgControlsV[IDC_Tray]};
    const auto update = [&] {
        for (const std::string& t : texts)
            FormatText(t);
    };
    const std::vector<std::string> once = {"ARTIST", "TITLE"};
    host.options.playlist = {FakeEntry{StreamFile, "Band - Song", {}},
                             FakeEntry{"http://other.example/live", "Other - Tune", {}}};
    update();
    update();
    EXPECT_EQ(once, host.tagQueries()) << "one title";

    host.Flush();
    entry().title = "Other - Tune";
    update();
    EXPECT_EQ(once, host.tagQueries()) << "the next song";
    EXPECT_EQ("Tune", FormatText("%Title"));

    host.Flush();
    host.options.position = 1;
    update();
    EXPECT_EQ(once, host.tagQueries()) << "another stream with the same title";

    host.Flush();
    host.options.playlist = {BandSong()};
    host.options.position = 0;
    update();
    const std::vector<std::string> everyText = {"ARTIST", "TITLE", "TITLE", "ARTIST", "TITLE"};
    EXPECT_EQ(everyText, host.tagQueries()) << "a file";
}

TEST_F(TemplateTest, LineBreaksComeFromTheTemplateNotFromTags) {
    Tags("Back\\nslash", "Song");
    EXPECT_EQ("Back\\nslash\r\nSong", FormatText("%Artist\\n%Title"));
}

// A value is text however it reads: only the template's placeholders are filled, and only the
// fields the template names are asked for.
TEST_F(TemplateTest, PlaceholdersInsideValuesStayText) {
    const struct {
        const char* what;
        FakeEntry entry;
        const char* templ;
        const char* expected;
        std::vector<std::string> asked;
    } rows[] = {
        {"tags",
         {SongFile,
          "Band - Song",
          {{"ARTIST", "Hits of %Year"},
           {"TITLE", "50%Album Off"},
           {"YEAR", "1999"},
           {"ALBUM", "Best"}}},
         "%Artist - %Title",
         "Hits of %Year - 50%Album Off",
         {"ARTIST", "TITLE"}},
        {"a tag naming one the template has",
         {SongFile, "Band - Song", {{"TITLE", "Song (%Genre)"}, {"GENRE", "Rock %Artist"}}},
         "%Title / %Genre",
         "Song (%Genre) / Rock %Artist",
         {"TITLE", "GENRE"}},
        {"a file name",
         {"C:\\Music\\Live %PlayState.mp3", "Band - Song", {}},
         "%File",
         "Live %PlayState",
         {}},
        {"a title", {SongFile, "Best of %File", {}}, "%Copy", "Best of %File", {}},
        {"a stream's title",
         {StreamFile, "%Genre - 100%Year Hits", {}},
         "%Artist: %Title",
         "%Genre: 100%Year Hits",
         {"ARTIST", "TITLE"}},
    };
    for (const auto& r : rows) {
        host.options.playlist = {r.entry};
        host.Flush();
        EXPECT_EQ(r.expected, FormatText(r.templ)) << r.what;
        EXPECT_EQ(r.asked, host.tagQueries()) << r.what;
    }
}

TEST_F(TemplateTest, PlayStateAndFile) {
    host.options.playState = 3;
    EXPECT_EQ("[PAUSE] Band - Song", FormatText("%PlayState %File"));
}

TEST_F(TemplateTest, NullFromTheHostReadsAsEmpty) {
    entry().nullFile = true;
    entry().nullTitle = true;
    ps.CurFile = "old";
    EXPECT_EQ(U8(u8"Слушаю "), FormatText(U8(u8"Слушаю %Artist%File")));
    EXPECT_EQ("", ps.CurFile);
    EXPECT_EQ("", FormatText("%Artist - %Title"));
    host.options.playlist.clear();
    EXPECT_EQ("", FormatText("%Copy"));
}
