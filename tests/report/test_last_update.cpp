// What the settings and the tray tell of the last update: the record stays small whatever the
// clients name their windows, and a failure is told first until the next success.
#include <gtest/gtest.h>

#include "common/texts.h"
#include "report/last_update.h"

TEST(LastUpdate, ARecordOfAnySizeStaysSmallAndCutsOnlyBetweenCharacters) {
    ForgetReport();
    std::string title;
    for (int i = 0; i < 5000; ++i)
        title += U8(u8"Ж♫"); // two and three bytes: a cut at the limit would fall inside one
    TLastUpdate update;
    for (int i = 0; i < 200; ++i)
        update.clients.push_back({"QIP", title, TClientResult::Set});
    PublishUpdate(update);
    ASSERT_EQ(ReportClientsMax, LastUpdate().clients.size());
    for (const TClientLine& c : LastUpdate().clients) {
        EXPECT_LE(c.title.size(), ReportTitleMax);
        EXPECT_GT(c.title.size(), ReportTitleMax - 3);
        EXPECT_EQ(title.substr(0, c.title.size()), c.title);
        EXPECT_EQ(0u, c.title.size() % 5) << "a character cut in two";
    }
    ForgetReport();
}

TEST(LastUpdate, AFailureIsToldFirstAndInTheTrayUntilItsNextSuccess) {
    ForgetReport();
    const TReportTexts& texts = DefReportTexts("English");
    EXPECT_EQ(std::vector<std::string>{"No update yet"}, ReportLines(texts));
    EXPECT_EQ("", TrayWarning(texts));

    // Named outside the checks: their text is quoted in the code page, which has no mark.
    const std::string notGivenBack = U8(u8"⚠ a status was not given back");
    const std::string notWritten = U8(u8"⚠ statuses not written to file");
    SetFailure(TFailure::Journal, true, "C:\\Plugins\\x.txt: Access denied");
    SetFailure(TFailure::Restore, true);
    const std::vector<std::string> failing = {
        notGivenBack,
        U8(u8"⚠ the stored statuses could not be written to their file: C:\\Plugins\\x.txt: "
           u8"Access denied"),
        "No update yet"};
    EXPECT_EQ(failing, ReportLines(texts));
    EXPECT_EQ(notGivenBack, TrayWarning(texts));

    SetFailure(TFailure::Restore, false);
    EXPECT_EQ(notWritten, TrayWarning(texts));
    SetFailure(TFailure::Journal, false);
    EXPECT_EQ(std::vector<std::string>{"No update yet"}, ReportLines(texts));
    EXPECT_EQ("", TrayWarning(texts));
}
