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
    EXPECT_EQ(U8(u8"Слушаю"), FormatText("Слушаю"));
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
    Tags("", "");
    EXPECT_EQ("Band - Song", FormatText("%Artist - %Title"));
    EXPECT_EQ("Band - Song", FormatText("%Artist %Title")); // the lone space falls back too
}

TEST_F(TemplateTest, EmptyFieldsAroundTheQuotes) {
    EXPECT_EQ("Band \"Song\"", FormatText(QuotedTemplate));
    Tags("", "Song");
    EXPECT_EQ("Song\"", FormatText(QuotedTemplate));
    Tags("", "");
    EXPECT_EQ("Band - Song", FormatText(QuotedTemplate));
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
    EXPECT_EQ(U8(u8"Файл: Band - Song\r\nИсполнитель: \r\nНазвание: "), FormatText(tray));
}

TEST_F(TemplateTest, LineBreaksComeFromTheTemplateNotFromTags) {
    Tags("Back\\nslash", "Song");
    EXPECT_EQ("Back\\nslash\r\nSong", FormatText("%Artist\\n%Title"));
}

TEST_F(TemplateTest, LaterPlaceholdersAreFilledInsideEarlierValues) {
    entry().tags = {{"ARTIST", "Band"}, {"TITLE", "Song (%Genre)"}, {"GENRE", "Rock %Artist"}};
    EXPECT_EQ("Song (Rock %Artist)", FormatText("%Title"));
}

TEST_F(TemplateTest, PlayStateAndFile) {
    host.options.playState = 3;
    EXPECT_EQ("[PAUSE] Band - Song", FormatText("%PlayState %File"));
}

TEST_F(TemplateTest, NullFromTheHostReadsAsEmpty) {
    entry().nullFile = true;
    entry().nullTitle = true;
    ps.CurFile = "old";
    EXPECT_EQ(U8(u8"Слушаю "), FormatText("Слушаю %Artist%File"));
    EXPECT_EQ("", ps.CurFile);
    EXPECT_EQ("", FormatText("%Artist - %Title"));
    host.options.playlist.clear();
    EXPECT_EQ("", FormatText("%Copy"));
}
