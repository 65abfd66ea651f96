// Files written whole: what is left on the disk after each kind of write, in a folder of the
// temporary directory named in more than one alphabet.
#include <gtest/gtest.h>

#include "support/file_text.h"
#include "support/unicode.h"

#include <string>

namespace {
struct FileCase {
    const char* name;
    const char* before; // the target's text before the write; null: no file there
    bool folder;        // the target's name is taken by a folder
    bool durable;
    bool written;
};

class WholeFileTest : public ::testing::TestWithParam<FileCase> {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
        dir_ = std::wstring(temp) + L"lumtra-whole-" + std::to_wstring(GetCurrentProcessId()) +
               L"-\u0436\u00f8";
        CreateDirectoryW(dir_.c_str(), nullptr);
        target_ = dir_ + L"\\gen_Lumtra.dll.statuses.txt";
    }
    void TearDown() override {
        RemoveDirectoryW(target_.c_str());
        DeleteFileW(target_.c_str());
        DeleteFileW((target_ + L".new").c_str());
        RemoveDirectoryW(dir_.c_str());
    }
    std::wstring dir_, target_;
};

TEST_P(WholeFileTest, LeavesTheNewTextOrTheOldOneWholeAndNoTemporaryFile) {
    const FileCase& c = GetParam();
    const std::string path = Utf8Of(target_);
    if (c.folder) {
        ASSERT_TRUE(CreateDirectoryW(target_.c_str(), nullptr));
    }
    if (c.before) {
        ASSERT_EQ(0u, WriteWholeFile(path, c.before, true));
    }
    // Shorter than what it replaces: nothing of the old text may be left behind it.
    const std::string text = "version 2\r\n[client]\r\nform=0x1\r\n";

    const DWORD error = WriteWholeFile(path, text, c.durable);

    std::string now;
    EXPECT_EQ(c.written, error == 0) << error;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((target_ + L".new").c_str()));
    if (c.folder) {
        EXPECT_NE(0u, GetFileAttributesW(target_.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
        return;
    }
    ASSERT_TRUE(ReadWholeFile(path, now));
    EXPECT_EQ(c.written ? text : std::string(c.before), now);
}

const std::string longer(200, 'x');
INSTANTIATE_TEST_SUITE_P(
    Writes, WholeFileTest,
    ::testing::Values(FileCase{"NewFile", nullptr, false, false, true},
                      FileCase{"ReplacesALongerFile", longer.c_str(), false, false, true},
                      FileCase{"DurableReplacesALongerFile", longer.c_str(), false, true, true},
                      FileCase{"ATargetThatIsAFolderIsNotWritten", nullptr, true, false, false}),
    [](const ::testing::TestParamInfo<FileCase>& i) { return std::string(i.param.name); });
} // namespace
