// What the library carries besides its code: dialog 101 item by item, the two icons, the string
// table, the archive of its sources and the version information. Read from the built DLL itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/files.h"
#include "lite/resource.h"

namespace {
constexpr WORD Russian = MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT);

class Library {
  public:
    Library()
        : h_(LoadLibraryExA(WinPath(LUMTRA_DLL).c_str(), nullptr,
                            LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~Library() {
        if (h_) FreeLibrary(h_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    HMODULE get() const { return h_; }

    std::string Bytes(LPCSTR name, LPCSTR type, WORD lang) const {
        HRSRC r = FindResourceExA(h_, type, name, lang);
        if (!r) return {};
        const char* p = static_cast<const char*>(LockResource(LoadResource(h_, r)));
        return p ? std::string(p, SizeofResource(h_, r)) : std::string();
    }

  private:
    HMODULE h_;
};

// ---- a plain dialog template, read field by field
class TemplateReader {
  public:
    explicit TemplateReader(const std::string& bytes) : b_(bytes) {}
    WORD Word() {
        WORD w = 0;
        std::memcpy(&w, b_.data() + at_, 2);
        at_ += 2;
        return w;
    }
    DWORD Dword() { return Word() | static_cast<DWORD>(Word()) << 16; }
    short Short() { return static_cast<short>(Word()); }
    std::wstring Text() {
        std::wstring s;
        for (WORD c = Word(); c; c = Word())
            s += static_cast<wchar_t>(c);
        return s;
    }
    // A class or title: an ordinal (0xFFFF and a number) or a text.
    std::wstring NameOrOrdinal() {
        WORD first = Word();
        if (first == 0xFFFF) return L"#" + std::to_wstring(Word());
        at_ -= 2;
        return Text();
    }
    void AlignDword() { at_ = (at_ + 3) & ~size_t{3}; }
    size_t at() const { return at_; }

  private:
    const std::string& b_;
    size_t at_ = 0;
};

struct TemplateItem {
    int id;
    const wchar_t* cls; // the system classes, by name
    DWORD style;
    short x, y, cx, cy;
    const wchar_t* text;
};

constexpr DWORD Child = WS_CHILD | WS_VISIBLE;
constexpr DWORD Check = Child | BS_AUTOCHECKBOX | BS_MULTILINE | BS_VCENTER | WS_TABSTOP;
constexpr DWORD Radio = Child | BS_AUTORADIOBUTTON | BS_MULTILINE | BS_VCENTER | WS_GROUP;
constexpr DWORD Group = Child | BS_GROUPBOX;
constexpr DWORD List = Child | CBS_DROPDOWNLIST | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD Edit = Child | CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP;
constexpr wchar_t Button[] = L"BUTTON", Static[] = L"STATIC", Combo[] = L"COMBOBOX",
                  ListBox[] = L"LISTBOX";

// In template order, which is the tab order.
const TemplateItem Layout[] = {
    {IDC_grMain, Button, Group, 3, 5, 195, 58, L" Общие "},
    {IDC_Enable, Button, Check, 8, 15, 100, 13, L"Включен"},
    {IDC_Lang, Combo, List, 109, 15, 83, 18, L""},
    {IDC_SaveRestore, Button, Check, 8, 30, 188, 13, L"Сохранять и восстанавливать статус"},
    {IDC_DelayT, Static, Child | SS_LEFT | SS_CENTERIMAGE | WS_GROUP, 8, 45, 100, 13,
     L"Задержка установки статуса"},
    {IDC_DelayV, Combo, List, 109, 45, 83, 18, L""},
    {IDC_grQIP, Button, Group, 3, 69, 195, 42, L" Установить для "},
    {IDC_AllQIP, Button, Radio, 8, 79, 188, 13, L"Всех запущенных копий QIP // RnQ"},
    {IDC_AllQIPNo, Button, Radio, 8, 94, 100, 13, L"Только для"},
    {IDC_CustomQIP, Combo, Edit, 109, 94, 83, 18, L""},
    {IDC_grIf, Button, Group, 3, 116, 195, 88, L" Изменять статус когда "},
    {IDC_IfStatus, Button, Check, 8, 142, 188, 13, L"Установлен статус = [Подпись статуса]"},
    {IDC_IfPicture, Button, Check, 8, 128, 188, 13,
     L"Установлена картинка Music (#12) (только QIP)"},
    {IDC_IfAny, Button, Check, 8, 156, 188, 13, L"При любом статусе"},
    {IDC_AllowOpen, Button, Check, 8, 171, 188, 19,
     L"Разрешить принудительное открытие \nокна статуса (только QIP)"},
    {IDC_grSet, Button, Group, 3, 208, 195, 77, L" Что менять "},
    {IDC_SetPicture, Button, Check, 8, 218, 100, 13, L"Картинку статуса"},
    {IDC_SetStatus, Button, Check, 8, 234, 100, 13, L"Подпись статуса"},
    {IDC_SetLongStatus, Button, Check, 8, 250, 100, 13, L"Дополнительный статус"},
    {IDC_SetTray, Button, Check, 8, 261, 100, 21, L"Показывать иконку в \nтрее (свой статус)"},
    {IDC_Picture, Combo, Edit, 109, 218, 83, 18, L""},
    {IDC_Status, Combo, Edit, 109, 234, 83, 18, L""},
    {IDC_LongStatus, Combo, Edit, 109, 250, 83, 18, L""},
    {IDC_Tray, Combo, Edit, 109, 266, 83, 18, L""},
    {IDC_About, Static, Child | SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN | WS_GROUP, 9, 290, 183, 16,
     nullptr}, // "v1.10" and a credit
    {IDC_LastUpdateT, Static, Child | SS_LEFT | WS_GROUP, 4, 311, 194, 9, L"Последнее обновление"},
    {IDC_LastUpdate, ListBox,
     Child | LBS_NOINTEGRALHEIGHT | LBS_NOSEL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 3, 321, 195,
     56, L""},
    {IDC_Default, Button, Child | BS_PUSHBUTTON | WS_TABSTOP, 3, 380, 60, 16, L"Default"},
    {IDOK, Button, Child | BS_DEFPUSHBUTTON | WS_TABSTOP, 71, 380, 60, 16, L"OK"},
    {IDCANCEL, Button, Child | BS_PUSHBUTTON | WS_TABSTOP, 138, 380, 60, 16, L"Cancel"},
    {IDC_VirtPlayState, Combo, WS_CHILD | CBS_DROPDOWNLIST | CBS_AUTOHSCROLL | WS_VSCROLL, 49, 1,
     83, 18, L""},
    {IDC_Compatible, Button, Check, 8, 190, 188, 12, L"Совместимость с другими ICQ-клиентами"},
    {-1, Static, Child | SS_ETCHEDHORZ, 7, 170, 187, 1, L""},
};

std::string Narrow(const std::wstring& s) {
    std::string out(s.size() * 4 + 1, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), -1, out.data(),
                                      static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(n > 0 ? n - 1 : 0);
    return out;
}
} // namespace

TEST(Resources, Dialog101IsLaidOutItemByItem) {
    Library dll;
    ASSERT_NE(nullptr, dll.get());
    const std::string bytes = dll.Bytes(MAKEINTRESOURCEA(101), MAKEINTRESOURCEA(5), Russian);
    ASSERT_FALSE(bytes.empty()) << "no dialog 101 in Russian";
    TemplateReader t(bytes);
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_CENTER | DS_3DLOOK |
                                 DS_NOFAILCREATE | DS_NOIDLEMSG | DS_SETFONT),
              t.Dword());
    EXPECT_EQ(0u, t.Dword()); // extended style
    const WORD count = t.Word();
    EXPECT_EQ(std::size(Layout), count);
    EXPECT_EQ(0, t.Short());
    EXPECT_EQ(0, t.Short());
    EXPECT_EQ(202, t.Short());
    EXPECT_EQ(400, t.Short());
    EXPECT_EQ(L"", t.NameOrOrdinal()); // no menu
    EXPECT_EQ(L"", t.NameOrOrdinal()); // the standard dialog class
    EXPECT_EQ(L"Winamp to ICQ client status", t.Text());
    EXPECT_EQ(8, t.Word());
    EXPECT_EQ(L"MS Sans Serif", t.Text());
    for (size_t i = 0; i < count && i < std::size(Layout); ++i) {
        const TemplateItem& want = Layout[i];
        SCOPED_TRACE("item " + std::to_string(i + 1) + ", id " + std::to_string(want.id));
        t.AlignDword();
        EXPECT_EQ(want.style, t.Dword());
        EXPECT_EQ(0u, t.Dword());
        EXPECT_EQ(want.x, t.Short());
        EXPECT_EQ(want.y, t.Short());
        EXPECT_EQ(want.cx, t.Short());
        EXPECT_EQ(want.cy, t.Short());
        EXPECT_EQ(static_cast<WORD>(want.id), t.Word());
        EXPECT_EQ(std::wstring(want.cls), t.NameOrOrdinal());
        const std::wstring text = t.NameOrOrdinal();
        if (want.text)
            EXPECT_EQ(Narrow(want.text), Narrow(text));
        else
            EXPECT_EQ(0u, text.rfind(L"v1.10", 0)) << Narrow(text);
        const WORD extra = t.Word();
        EXPECT_EQ(0, extra);
    }
    EXPECT_LE(t.at(), bytes.size());
}

TEST(Resources, TwoIconGroupsOf16By16With256Colours) {
    Library dll;
    int order = 0;
    for (const char* name : {"ICON_1", "MAINICON"}) {
        SCOPED_TRACE(name);
        ++order;
        const std::string group = dll.Bytes(name, MAKEINTRESOURCEA(14), Russian);
        ASSERT_EQ(6u + 14u, group.size()); // one image
        WORD head[3];
        std::memcpy(head, group.data(), sizeof head);
        EXPECT_EQ(1, head[1]); // icons
        EXPECT_EQ(1, head[2]);
        const auto* entry = reinterpret_cast<const unsigned char*>(group.data() + 6);
        EXPECT_EQ(16, entry[0]);
        EXPECT_EQ(16, entry[1]);
        WORD bits, imageId;
        std::memcpy(&bits, entry + 6, 2);
        std::memcpy(&imageId, entry + 12, 2);
        EXPECT_EQ(8, bits);
        // ICON_1 is placed first: its image is the first one.
        EXPECT_EQ(order, imageId);
        const std::string image =
            dll.Bytes(MAKEINTRESOURCEA(imageId), MAKEINTRESOURCEA(3), Russian);
        ASSERT_GE(image.size(), 40u);
        BITMAPINFOHEADER bih;
        std::memcpy(&bih, image.data(), sizeof bih);
        EXPECT_EQ(16, bih.biWidth);
        EXPECT_EQ(32, bih.biHeight); // colour and mask
        EXPECT_EQ(8, bih.biBitCount);
    }
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    EXPECT_NE(nullptr, icon);
}

TEST(Resources, TheLanguageKeyString) {
    Library dll;
    char text[16] = {};
    EXPECT_EQ(4, LoadStringA(dll.get(), 65520, text, sizeof text));
    EXPECT_STREQ("Lang", text);
}

TEST(Resources, TheSourceArchiveIsTheOneTheBuildWrote) {
    Library dll;
    const std::string archive = dll.Bytes("RAR", "SRC", Russian);
    ASSERT_GT(archive.size(), 1000u);
    EXPECT_EQ(0, archive.compare(0, 7, "Rar!\x1a\x07\x00", 7));
    std::string built = WinPath(LUMTRA_DLL);
    built = built.substr(0, built.rfind('\\') + 1) + "gen_Lumtra_src.rar";
    EXPECT_EQ(ReadFileBytes(built), archive);
    EXPECT_NE(std::string::npos, archive.find("src\\dialog\\config_dialog.cpp"));
}

// What Windows shows in the library's properties, read the way Explorer reads it. The numbers
// are the build's own (project()), which also names the setup program and the archive.
TEST(Resources, VersionInformationInRussianAndEnglish) {
    const std::string path = WinPath(LUMTRA_DLL);
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &unused);
    ASSERT_NE(0u, size);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
    void* p = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", &p, &length));
    ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), length);
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(p);
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(LUMTRA_VERSION_MINOR, LUMTRA_VERSION_MAJOR)),
              fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(static_cast<DWORD>(VFT_DLL), fixed->dwFileType);

    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &p, &length));
    ASSERT_EQ(8u, length);
    const auto* languages = static_cast<const WORD*>(p);
    EXPECT_EQ((std::vector<WORD>{0x0419, 1251, 0x0409, 1252}),
              std::vector<WORD>(languages, languages + 4));
    for (const std::string block : {"041904E3", "040904E4"}) {
        SCOPED_TRACE(block);
        auto value = [&](const char* name) {
            const std::string key = "\\StringFileInfo\\" + block + "\\" + name;
            void* text = nullptr;
            UINT chars = 0;
            if (!VerQueryValueA(info.data(), key.c_str(), &text, &chars) || !text)
                return std::string("(none)");
            return std::string(static_cast<const char*>(text));
        };
        EXPECT_EQ("Winamp to ICQ client status", value("FileDescription"));
        EXPECT_EQ(LUMTRA_VERSION, value("FileVersion"));
        EXPECT_EQ(LUMTRA_VERSION, value("ProductVersion"));
        EXPECT_EQ("gen_Lumtra.dll", value("OriginalFilename"));
    }
}
