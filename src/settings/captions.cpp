#include "settings/captions.h"

#include <algorithm>
#include <string_view>

#include "support/supportLumtra.h"
#include "support/unicode.h"

namespace {
// Ready-made templates shared by the three template boxes.
constexpr char StatusList[] =
    "||Music||Winamp||Слушаю||%Copy||%Artist||%Title||%Artist - %Title"
    "||%Artist \"%Title\"||Файл: %File\\nИсполнитель: %Artist\\nНазвание: "
    "%Title||";
constexpr char EnglishStatusList[] =
    "||Music||Winamp||Listening||%Copy||%Artist||%Title||%Artist - %Title"
    "||%Artist \"%Title\"||File: %File\\nArtist: %Artist\\nTitle: %Title||";

// The client's status pictures in its own order: the position is the picture index, the same in
// every language.
constexpr char PictureList[] =
    "||||Злой||Водные процедуры||Уставший||Вечеринка||Пиво||Думаю||Кушаю||ТВ||Друзья||Кофе"
    "||Музыка||Дела||Кино||Весело||Телефон||Игры||Учёба||Покупки||Болею||Сплю||Отрываюсь"
    "||В инете||Инженеринг||Печатаю|| || || || ||Отдыхаю||";
constexpr char EnglishPictureList[] =
    "||||Angry||Taking a bath||Tired||Party||Beer||Thinking||Eating||TV||Friends||Coffee"
    "||Music||Business||Cinema||Fun||Phone||Games||Studying||Shopping||Sick||Sleeping"
    "||Having a blast||On the Internet||Engineering||Typing|| || || || ||Resting||";

// The languages the plugin has built in; a translation of its own is added to the list by hand.
constexpr char LanguageList[] = "||Russian||English||";
constexpr char PlayStateList[] = "||[PLAY]||[PAUSE]||[STOP]||";
constexpr char DelayList[] = "||2||5||10||15||20||30||";

// Every caption and item list in both built-in languages, in id order. The Russian texts are the
// code page's, as they always were; the English ones are ASCII, the same in any code page.
struct TCaptionDef {
    int id;
    const char* russian;
    const char* english;
};
constexpr TCaptionDef Captions[] = {
    {IDC_Enable, "Включен", "Enabled"},
    {IDC_IfStatus, "Установлен статус = [Подпись статуса]", "Status is = [Status caption]"},
    {IDC_IfPicture, "Установлена картинка Music (#12) (только QIP)",
     "Picture is Music (#12) (QIP only)"},
    {IDC_IfAny, "При любом статусе", "With any status"},
    {IDC_SetPicture, "Картинку статуса", "Status picture"},
    {IDC_SetStatus, "Подпись статуса", "Status caption"},
    {IDC_SetLongStatus, "Дополнительный статус", "Long status"},
    {IDC_LongStatus, StatusList, EnglishStatusList},
    {IDC_SaveRestore, "Сохранять и восстанавливать статус", "Save and restore status"},
    {IDC_Picture, PictureList, EnglishPictureList},
    {IDC_Status, StatusList, EnglishStatusList},
    {IDC_SetTray, "Показывать иконку в \\nтрее (свой статус)", "Show tray icon \\n(own status)"},
    {IDC_About, "v1.10 - gen_Lumtra: Winamp в статусе QIP/RnQ",
     "v1.10 - gen_Lumtra: Winamp in QIP/RnQ status"},
    {IDC_CustomQIP, "", ""},
    {IDC_AllQIP, "Всех запущенных копий QIP // RnQ", "All running copies of QIP // RnQ"},
    {IDC_AllQIPNo, "Только для", "Only for"},
    {IDC_Tray, StatusList, EnglishStatusList},
    {IDC_AllowOpen, "Разрешить принудительное открытие \\nокна статуса (только QIP)",
     "Allow forced opening of \\nthe status window (QIP only)"},
    {IDC_DelayV, DelayList, DelayList},
    {IDC_DelayT, "Задержка установки статуса", "Status set delay"},
    {IDC_grQIP, " Установить для ", " Set for "},
    {IDC_grIf, " Изменять статус когда ", " Change status when "},
    {IDC_grSet, " Что менять ", " What to change "},
    {IDC_grMain, " Общие ", " General "},
    {IDC_Lang, LanguageList, LanguageList},
    {IDC_VirtPlayState, PlayStateList, PlayStateList},
    {IDC_Compatible, "Совместимость с другими ICQ-клиентами",
     "Compatibility with other ICQ clients"},
};
static_assert(std::size(Captions) == DlgControlsCount);

TDlgControlsAr MakeCaptions(bool english) {
    TDlgControlsAr c;
    // The plugin keeps its texts in UTF-8.
    for (const TCaptionDef& d : Captions)
        c[d.id] = english ? std::string(d.english) : Utf8FromAnsi(d.russian);
    return c;
}
} // namespace

bool IsEnglish(const std::string& language) {
    constexpr std::string_view english = "english";
    return language.size() == english.size() &&
           std::equal(language.begin(), language.end(), english.begin(), [](char a, char b) {
               return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
           });
}

const TDlgControlsAr& DefCaptions() {
    static const TDlgControlsAr captions = MakeCaptions(false);
    return captions;
}

const TDlgControlsAr& DefCaptions(const std::string& language) {
    static const TDlgControlsAr english = MakeCaptions(true);
    return IsEnglish(language) ? english : DefCaptions();
}

std::array<std::string, 3> PlayStateTexts(const std::string& virtPlayStateCaption) {
    const auto items = ListItemsFixed(virtPlayStateCaption, 3);
    return {items[0], items[1], items[2]};
}
