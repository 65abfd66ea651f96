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

TDlgControlsAr MakeRussianCaptions() {
    TDlgControlsAr c;
    c[IDC_Enable] = "Включен";
    c[IDC_IfStatus] = "Установлен статус = [Подпись статуса]";
    c[IDC_IfPicture] = "Установлена картинка Music (#12) (только QIP)";
    c[IDC_IfAny] = "При любом статусе";
    c[IDC_SetPicture] = "Картинку статуса";
    c[IDC_SetStatus] = "Подпись статуса";
    c[IDC_SetLongStatus] = "Дополнительный статус";
    c[IDC_LongStatus] = StatusList;
    c[IDC_SaveRestore] = "Сохранять и восстанавливать статус";
    c[IDC_Picture] = PictureList;
    c[IDC_Status] = StatusList;
    c[IDC_SetTray] = "Показывать иконку в \\nтрее (свой статус)";
    c[IDC_About] = "v1.10 - gen_Lumtra: Winamp в статусе QIP/RnQ";
    c[IDC_CustomQIP] = "";
    c[IDC_AllQIP] = "Всех запущенных копий QIP // RnQ";
    c[IDC_AllQIPNo] = "Только для";
    c[IDC_Tray] = StatusList;
    c[IDC_AllowOpen] = "Разрешить принудительное открытие \\nокна статуса (только QIP)";
    c[IDC_DelayV] = DelayList;
    c[IDC_DelayT] = "Задержка установки статуса";
    c[IDC_grQIP] = " Установить для ";
    c[IDC_grIf] = " Изменять статус когда ";
    c[IDC_grSet] = " Что менять ";
    c[IDC_grMain] = " Общие ";
    c[IDC_Lang] = LanguageList;
    c[IDC_VirtPlayState] = PlayStateList;
    c[IDC_Compatible] = "Совместимость с другими ICQ-клиентами";
    // The literals are the code page's text; the plugin keeps its texts in UTF-8.
    for (std::string& text : c.items)
        text = Utf8FromAnsi(text);
    return c;
}

// ASCII only, the same in UTF-8 and in any code page.
TDlgControlsAr MakeEnglishCaptions() {
    TDlgControlsAr c;
    c[IDC_Enable] = "Enabled";
    c[IDC_IfStatus] = "Status is = [Status caption]";
    c[IDC_IfPicture] = "Picture is Music (#12) (QIP only)";
    c[IDC_IfAny] = "With any status";
    c[IDC_SetPicture] = "Status picture";
    c[IDC_SetStatus] = "Status caption";
    c[IDC_SetLongStatus] = "Long status";
    c[IDC_LongStatus] = EnglishStatusList;
    c[IDC_SaveRestore] = "Save and restore status";
    c[IDC_Picture] = EnglishPictureList;
    c[IDC_Status] = EnglishStatusList;
    c[IDC_SetTray] = "Show tray icon \\n(own status)";
    c[IDC_About] = "v1.10 - gen_Lumtra: Winamp in QIP/RnQ status";
    c[IDC_CustomQIP] = "";
    c[IDC_AllQIP] = "All running copies of QIP // RnQ";
    c[IDC_AllQIPNo] = "Only for";
    c[IDC_Tray] = EnglishStatusList;
    c[IDC_AllowOpen] = "Allow forced opening of \\nthe status window (QIP only)";
    c[IDC_DelayV] = DelayList;
    c[IDC_DelayT] = "Status set delay";
    c[IDC_grQIP] = " Set for ";
    c[IDC_grIf] = " Change status when ";
    c[IDC_grSet] = " What to change ";
    c[IDC_grMain] = " General ";
    c[IDC_Lang] = LanguageList;
    c[IDC_VirtPlayState] = PlayStateList;
    c[IDC_Compatible] = "Compatibility with other ICQ clients";
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
    static const TDlgControlsAr captions = MakeRussianCaptions();
    return captions;
}

const TDlgControlsAr& DefCaptions(const std::string& language) {
    static const TDlgControlsAr english = MakeEnglishCaptions();
    return IsEnglish(language) ? english : DefCaptions();
}

std::array<std::string, 3> PlayStateTexts(const std::string& virtPlayStateCaption) {
    const auto items = ListItemsFixed(virtPlayStateCaption, 3);
    return {items[0], items[1], items[2]};
}
