// The picture index an update sets.
#include <gtest/gtest.h>

#include "common/texts.h"
#include "common/plugin_fixture.h"
#include "settings/captions.h"
#include "settings/settings.h"
#include "track/picture.h"

namespace {
using PictureTest = PluginTest;
}

TEST_F(PictureTest, NumberNameOrFallback) {
    const std::string list = defPS.DlgControlsC[IDC_Picture];
    EXPECT_EQ(12, PictureIndex("12", list));
    EXPECT_EQ(0, PictureIndex("0", list));
    EXPECT_EQ(11, PictureIndex(U8(u8"музыка"), list)); // the locale folds Cyrillic case
    EXPECT_EQ(11, PictureIndex(U8(u8"МУЗЫКА"), list));
    EXPECT_EQ(1, PictureIndex(U8(u8"Злой"), list));
    EXPECT_EQ(2, PictureIndex(U8(u8"водные ПРОЦЕДУРЫ"), list));
    EXPECT_EQ(0, PictureIndex("", list)); // the list's first item is empty
    EXPECT_EQ(-1, PictureIndex(U8(u8"Джаз"), list));
    EXPECT_EQ(-7, PictureIndex("-7", list));
    EXPECT_EQ(-1, PictureIndex("12 ", list));
    // Each built-in language's default names the same picture in its own list.
    for (const char* language : {"Russian", "English"})
        EXPECT_EQ(
            11, PictureIndex(DefValues(language)[IDC_Picture], DefCaptions(language)[IDC_Picture]))
            << language;
}

TEST_F(PictureTest, FirstOfEqualNamesInTheCurrentList) {
    EXPECT_EQ(1, PictureIndex("b", "||a||B||b||"));
    EXPECT_EQ(-1, PictureIndex("a", "a||b||")); // nothing before the first separator is an item
}
