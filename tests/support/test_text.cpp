// The text toolkit under a Russian user locale (code page 1251).
#include <gtest/gtest.h>

#include "common/texts.h"
#include "support/supportLumtra.h"
#include "support/unicode.h"

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

// Texts of Unicode clients pass through UTF-8 unchanged, also ones that are not valid UTF-16; a
// damaged UTF-8 text (from a file) yields replacement characters, never a crash or a cut.
TEST(TextUnicode, EveryUtf16TextRoundTripsAndDamageIsReplaced) {
    const std::wstring texts[] = {L"",
                                  L"\u2665 \u0420\u0430\u0431\u043e\u0442\u0430\u044e \u2665",
                                  L"\u65e5\u672c",
                                  L"\U0001F3B5 note",
                                  L"lone high \xD83C end",
                                  L"lone low \xDFB5",
                                  L"\xDC00\xD800 reversed"};
    for (const std::wstring& w : texts)
        EXPECT_EQ(w, WideOf(Utf8Of(w))) << Utf8Of(w);
    EXPECT_EQ(U8(u8"\u2665"), Utf8Of(L"\u2665"));
    EXPECT_EQ(L"a\xFFFD"
              L"b\xFFFD\xFFFD",
              WideOf("a\xFF"
                     "b\xC0\xAF"));                   // stray, overlong
    EXPECT_EQ(L"x\xFFFD\xFFFD", WideOf("x\xE2\x99")); // cut off at the end: each byte
    // The ANSI edge: Cyrillic both ways; what the code page lacks becomes the system's stand-in.
    EXPECT_EQ(U8(u8"Слушаю"), Utf8FromAnsi("Слушаю"));
    EXPECT_EQ("Слушаю", AnsiFromUtf8(U8(u8"Слушаю")));
    const std::string japan = U8(u8"日本"); // outside the macro, which quotes its arguments
    EXPECT_EQ(std::string::npos, AnsiFromUtf8(japan).find_first_not_of("?"));
}

TEST(TextUnicode, SameTextIgnoresCaseInEveryAlphabetAndNothingElse) {
    const struct {
        const char8_t *a, *b;
        bool same;
    } rows[] = {
        {u8"Слушаю Музыку", u8"слушаю музыку", true},
        {u8"Ärger ÖL", u8"ärger öl", true},
        {u8"ΛΈΞΗ", u8"λέξη", true},
        {u8"♥ Занят", u8"♥ занят", true},
        {u8"♥ Занят", u8" Занят", false}, // a symbol is no nothing
        {u8"♥", u8"♫", false},
        {u8"Занят", u8"Занят ", false},
    };
    for (const auto& r : rows)
        EXPECT_EQ(r.same, SameTextU(U8(r.a), U8(r.b))) << U8(r.a) << " / " << U8(r.b);
}
