#include "settings/report_texts.h"

#include "settings/captions.h"
#include "support/unicode.h"

namespace {
struct TTextDef {
    const char* name;
    const char* russian; // the code page's text, as every built-in caption
    const char* english;
};

// In the order of TReportText. "%1" stands for what the line names.
constexpr TTextDef Texts[ReportTextCount] = {
    {"LastUpdate", "Последнее обновление", "Last update"},
    {"NoUpdate", "Обновлений ещё не было", "No update yet"},
    {"RestoreDone", "возврат статусов", "statuses given back"},
    {"NoClient", "Не запущен ни QIP, ни R&Q", "No QIP or R&Q is running"},
    {"OutcomeSet", "статус установлен", "status set"},
    {"OutcomeUnchanged", "без изменений: трек уже показан",
     "unchanged: it already shows the track"},
    {"OutcomeRestored", "статус возвращён", "status given back"},
    {"OutcomeLeftOut", "пропущен: в заголовке нет «%1» (Только для)",
     "left out: its title lacks \"%1\" (Only for)"},
    {"OutcomeSkipped", "не отвечает, пропущен", "not answering: skipped"},
    {"OutcomeSkippedStored", "не отвечает, пропущен; его статус хранится и будет возвращён",
     "not answering: skipped; its status is still stored, to be given back later"},
    {"OutcomeFormClosed", "окно статуса закрыто, принудительное открытие выключено",
     "status form closed, forced opening off"},
    {"OutcomeFormNotOpened",
     "окно статуса закрыто и пока не открылось; ещё раз при следующем обновлении",
     "status form closed and not open yet; tried again at the next update"},
    {"OutcomeNoForm", "окно статуса не найдено: R&Q создаёт его, только пока оно у вас открыто",
     "no status form found: R&Q makes this form only while you have it open"},
    {"OutcomeNotReached", "не обслужен: время обновления кончилось; будет при следующем",
     "not reached: the update's time ran out before it; served at the next update"},
    {"OutcomeConditions", "не изменён: статус не тот, что в условиях",
     "left as it is: its status is not the one the conditions name"},
    {"OutcomeGone", "закрылся во время обновления", "closed during the update"},
    {"OutcomeRestoreKept", "статус не возвращён: не отвечает; хранится, будет возвращён позже",
     "status not given back: not answering; still stored, to be given back later"},
    {"OutcomeRestoreClosed", "закрылся до возврата статуса; статус хранится до его запуска",
     "closed before its status came back; stored until it starts again"},
    {"SettingsFailed", "настройки не сохранены: %1", "the settings could not be stored: %1"},
    {"JournalFailed", "сохранённые статусы не записаны в файл: %1",
     "the stored statuses could not be written to their file: %1"},
    {"TrayRestoreFailed", "статус не возвращён", "a status was not given back"},
    {"TraySettingsFailed", "настройки не сохранены", "settings not stored"},
    {"TrayJournalFailed", "статусы не записаны в файл", "statuses not written to file"},
};

TReportTexts Make(bool english) {
    TReportTexts t;
    for (int i = 0; i < ReportTextCount; ++i)
        t.items[static_cast<size_t>(i)] =
            english ? std::string(Texts[i].english) : Utf8FromAnsi(Texts[i].russian);
    return t;
}

} // namespace

const char* ReportTextName(TReportText t) {
    return t >= 0 && t < ReportTextCount ? Texts[t].name : "";
}

const TReportTexts& DefReportTexts(const std::string& language) {
    static const TReportTexts russian = Make(false);
    static const TReportTexts english = Make(true);
    return IsEnglish(language) ? english : russian;
}
