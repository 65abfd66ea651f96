// The text toolkit under a Russian user locale (code page 1251).
#include <gtest/gtest.h>

#include "support/supportLumtra.h"

TEST(TextCompare, IgnoresCaseByTheUserLocaleForLatinAndCyrillic) {
    EXPECT_EQ(0, sStrCompareText("copy", "COPY"));
    EXPECT_EQ(0, sStrCompareText("музыка", "МУЗЫКА"));
    EXPECT_EQ(0, sStrCompareText("Учёба", "УЧЁБА"));
    EXPECT_NE(0, sStrCompareText("abc", "abcd")); // whole strings
    EXPECT_EQ(-1, sStrCompareText("a", "b"));
    EXPECT_EQ(1, sStrCompareText("b", "a"));
    EXPECT_NE(0, sStrCompareText("abc", "ABC", true));
    EXPECT_EQ(0, sStrCompareText("abc", "ABCdef", false, true)); // shorter length only
}

TEST(TextCase, FoldsCyrillicInPlaceKeepingLength) {
    EXPECT_EQ("МУЗЫКА ABC", UpperCase("музыка abc"));
    EXPECT_EQ("злой", LowerCase("ЗЛОЙ"));
    EXPECT_EQ("", UpperCase(""));
}

TEST(TextSplit, SplitsAtFirstOccurrenceIgnoringCaseAndKeepsCaseOfParts) {
    TRLSResult r = sRLS_l("Artist - Title", " - ");
    EXPECT_EQ("Artist", r.Left);
    EXPECT_EQ("Title", r.Right);
    EXPECT_EQ(7, r.Position);

    r = sRLS_l("||A||B||", "||");
    EXPECT_EQ("", r.Left);
    EXPECT_EQ("A||B||", r.Right);
    EXPECT_EQ(1, r.Position);

    r = sRLS_l("Слушаю %ARTIST now", "%artist");
    EXPECT_EQ("Слушаю ", r.Left);
    EXPECT_EQ(" now", r.Right);

    r = sRLS_l("no separator", "||");
    EXPECT_EQ("no separator", r.Left);
    EXPECT_EQ("", r.Right);
    EXPECT_EQ(0, r.Position);

    EXPECT_EQ(0, sRLS_l("text", "").Position);
}

TEST(TextReplace, OnePassWithoutOverlapOrRescan) {
    EXPECT_EQ("Band and Band",
              StringReplace("%ARTIST and %artist", "%Artist", "Band", rfIgnoreCase | rfReplaceAll));
    EXPECT_EQ("a  b", StringReplace("a   b", "  ", " ", rfIgnoreCase | rfReplaceAll));
    EXPECT_EQ("a  b", StringReplace("a    b", "  ", " ", rfReplaceAll));
    EXPECT_EQ("xx", StringReplace("x", "x", "xx", rfReplaceAll)); // inserted text not searched
    EXPECT_EQ("b-a-a", StringReplace("a-a-a", "a", "b", 0));
    EXPECT_EQ("A-b", StringReplace("A-a", "a", "b", rfReplaceAll)); // case-sensitive
    EXPECT_EQ("", StringReplace("", "a", "b", rfReplaceAll));
    EXPECT_EQ("abc", StringReplace("abc", "", "x", rfReplaceAll));
    EXPECT_EQ("ж-ж", StringReplace("я-Я", "я", "ж", rfReplaceAll | rfIgnoreCase));
}

TEST(TextTrimAndCut, TrimsControlCharactersAndCutsSafely) {
    EXPECT_EQ("", Trim(" \t\r\n "));
    EXPECT_EQ("a b\r\nc", Trim(" a b\r\nc\r\n"));
    EXPECT_EQ("Учёба", Trim("\x01Учёба\x1f")); // bytes above 0x7f are text, not blanks
    EXPECT_EQ("ab", LeftStr("abc", 2));
    EXPECT_EQ("abc", LeftStr("abc", 99));
    EXPECT_EQ("bc", MidStr("abcd", 2, 2));
    EXPECT_EQ("", MidStr("abc", 9, 2));
    EXPECT_EQ("cba", ReverseString("abc"));
    EXPECT_EQ(3, PosEx("c", "abcabc"));
    EXPECT_EQ(6, PosEx("c", "abcabc", 4));
    EXPECT_EQ(0, PosEx("x", "abc"));
}

TEST(TextFileName, OnlyTheLastBackslashAndLastFullStopCount) {
    EXPECT_EQ("Band - Song", ExtractFileNameWithoutExt("C:\\Music\\Band - Song.mp3"));
    EXPECT_EQ("a.b", ExtractFileNameWithoutExt("D:\\My.Music\\a.b.flac"));
    EXPECT_EQ("track", ExtractFileNameWithoutExt("D:\\My.Music\\track"));
    EXPECT_EQ("http://radio/stream", ExtractFileNameWithoutExt("http://radio/stream.ogg"));
    EXPECT_EQ("noext", ExtractFileNameWithoutExt("noext"));
}

TEST(TextNumber, AcceptsExactlyTheDocumentedForms) {
    struct Case {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"10", 10},
        {" 10", 10},
        {"10 ", -7},
        {"", -7},
        {"0", 0},
        {"-3", -3},
        {"+3", 3},
        {"--3", -7},
        {"$1A", 26},
        {"x1a", 26},
        {"X1A", 26},
        {"0x1A", 26},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"$100000000", -7},
        {"$", -7},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"2147483648", -7},
        {"99999999999", -7},
        {"abc", -7},
        {"1e3", -7},
        {"12a", -7},
        {"-", -7},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, StrToIntDef(c.text, -7)) << c.text;
}

TEST(TextEscapes, LineBreaksBothWays) {
    EXPECT_EQ("a\r\nb\r\nc", StringCPP2String("a\\nb\\nc"));
    EXPECT_EQ("Файл: %File\r\nИсполнитель", StringCPP2String("Файл: %File\\nИсполнитель"));
    EXPECT_EQ("no escape", StringCPP2String("no escape"));
    // A literal backslash before the first escape keeps the whole text as typed.
    EXPECT_EQ("a\\\\nb\\nc", StringCPP2String("a\\\\nb\\nc"));
    // Later doubled backslashes convert like the plain escape, keeping one backslash.
    EXPECT_EQ("a\r\nb\\\r\nc", StringCPP2String("a\\nb\\\\nc"));
}

TEST(TextLists, ReadAndWriteListTexts) {
    using V = std::vector<std::string>;
    EXPECT_EQ((V{"", "Злой", "Водные процедуры"}), ListItems("||||Злой||Водные процедуры||"));
    EXPECT_EQ((V{"2", "5", "10", "15", "20", "30"}), ListItems("||2||5||10||15||20||30||"));
    EXPECT_EQ((V{"A", "B"}), ListItems("||A||B"));
    EXPECT_EQ((V{"A", ""}), ListItems("||A||||"));
    EXPECT_EQ((V{"B"}), ListItems("A||B||"));
    EXPECT_EQ(V{}, ListItems("plain"));
    EXPECT_EQ(V{}, ListItems("||"));
    EXPECT_EQ(V{}, ListItems(""));
    EXPECT_EQ("||", ListText({}));
    for (const V& items : {V{"a"}, V{"", " ", "x"}, V{"Слушаю", "%Artist \"%Title\""}})
        EXPECT_EQ(items, ListItems(ListText(items)));

    EXPECT_EQ((V{"[PLAY]", "[PAUSE]", "[STOP]"}), ListItemsFixed("||[PLAY]||[PAUSE]||[STOP]||", 3));
    EXPECT_EQ((V{"only", "", ""}), ListItemsFixed("||only", 3));
    EXPECT_EQ((V{"", "", ""}), ListItemsFixed("none", 3));
}
