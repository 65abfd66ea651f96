#include "settings/captions.h"

#include "support/supportLumtra.h"
#include "support/unicode.h"

namespace {
// Ready-made templates shared by the three template boxes.
constexpr char StatusList[] =
    "||Music||Winamp||Слушаю||%Copy||%Artist||%Title||%Artist - %Title"
    "||%Artist \"%Title\"||Файл: %File\\nИсполнитель: %Artist\\nНазвание: "
    "%Title||";

// The client's status pictures in its own order: the position is the picture index.
constexpr char PictureList[] =
    "||||Злой||Водные процедуры||Уставший||Вечеринка||Пиво||Думаю||Кушаю||ТВ||Друзья||Кофе"
    "||Музыка||Дела||Кино||Весело||Телефон||Игры||Учёба||Покупки||Болею||Сплю||Отрываюсь"
    "||В инете||Инженеринг||Печатаю|| || || || ||Отдыхаю||";

TDlgControlsAr MakeDefCaptions() {
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
    c[IDC_DelayV] = "||2||5||10||15||20||30||";
    c[IDC_DelayT] = "Задержка установки статуса";
    c[IDC_grQIP] = " Установить для ";
    c[IDC_grIf] = " Изменять статус когда ";
    c[IDC_grSet] = " Что менять ";
    c[IDC_grMain] = " Общие ";
    c[IDC_Lang] = "||Russian||";
    c[IDC_VirtPlayState] = "||[PLAY]||[PAUSE]||[STOP]||";
    c[IDC_Compatible] = "Совместимость с другими ICQ-клиентами";
    // The literals are the code page's text; the plugin keeps its texts in UTF-8.
    for (std::string& text : c.items)
        text = Utf8FromAnsi(text);
    return c;
}
} // namespace

const TDlgControlsAr& DefCaptions() {
    static const TDlgControlsAr captions = MakeDefCaptions();
    return captions;
}

std::array<std::string, 3> PlayStateTexts(const std::string& virtPlayStateCaption) {
    const auto items = ListItemsFixed(virtPlayStateCaption, 3);
    return {items[0], items[1], items[2]};
}
