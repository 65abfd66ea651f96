#include "dialog/config_dialog.h"

#include <algorithm>
#include <initializer_list>
#include <string>

#include "report/last_update.h"
#include "settings/captions.h"
#include "settings/settings.h"
#include "support/supportLumtra.h"
#include "support/unicode.h"
#include "windows/window_text.h"

namespace {
// Width in pixels of the opened lists of the boxes whose items are long templates or names.
constexpr WPARAM WideDropWidth = 300;

// Clearing order of the combo boxes, and the ones whose opened list is wider than the box.
constexpr int ComboIds[] = {IDC_Lang,       IDC_CustomQIP, IDC_Picture, IDC_Status,
                            IDC_LongStatus, IDC_Tray,      IDC_DelayV,  IDC_VirtPlayState};
constexpr int WideComboIds[] = {IDC_Lang, IDC_Picture, IDC_Status, IDC_LongStatus, IDC_Tray};

// ---- one wrapper per message the dialog sends its controls
void ComboResetContent(HWND combo) {
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
}
void ComboSetDroppedWidth(HWND combo, WPARAM pixels) {
    SendMessageA(combo, CB_SETDROPPEDWIDTH, pixels, 0);
}
// The dialog is a Unicode one: the settings' UTF-8 texts are shown and read back whole, whatever
// alphabet they are in.
void ComboAddString(HWND combo, const std::string& item) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideOf(item).c_str()));
}
LRESULT ComboSelectString(HWND combo, const std::string& prefix) {
    return SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(WideOf(prefix).c_str()));
}
void ComboSetText(HWND combo, const std::string& text) {
    SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WideOf(text).c_str()));
}
LRESULT ComboGetCount(HWND combo) {
    return SendMessageA(combo, CB_GETCOUNT, 0, 0);
}
LRESULT ComboGetItemLength(HWND combo, WPARAM index) {
    return SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
}
void ComboGetItem(HWND combo, WPARAM index, wchar_t* buffer) {
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer));
}

// One of the dialog's own controls' text (a combo box: its current text), in UTF-8.
std::string ControlText(HWND control) {
    if (!IsWindowL(control)) return {};
    const int length = GetWindowTextLengthW(control);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int n = GetWindowTextW(control, text.data(), length + 1);
    return Utf8Of(text.data(), static_cast<size_t>(std::clamp(n, 0, length)));
}

HWND Item(HWND dlg, int id) {
    return GetDlgItem(dlg, id);
}

bool IsValueButton(int id) {
    const TDlgControlType kind = DlgControlsTypes(id);
    return kind == DlgControlTypeCheck || kind == DlgControlTypeRadio;
}

bool Checked(HWND dlg, int id) {
    return IsDlgButtonChecked(dlg, id) == BST_CHECKED;
}

// ---- what the last update did

// Posted by the report whenever what it tells changes.
constexpr UINT ReportChanged = WM_APP + 1;

// The texts of the language shown: the list speaks it too.
TReportTexts shownReportTexts;

void ListResetContent(HWND list) {
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
}
void ListAddString(HWND list, const std::string& line) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideOf(line).c_str()));
}

// Drawn from the record the update left behind: no client is asked anything.
void ShowReport(HWND dlg) {
    const HWND heading = Item(dlg, IDC_LastUpdateT);
    if (IsWindowL(heading)) SetWindowTextW(heading, WideOf(shownReportTexts[rtHeading]).c_str());
    const HWND list = Item(dlg, IDC_LastUpdate);
    if (!IsWindowL(list)) return;
    // The first line shown stays in view while the list is filled anew.
    const LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListResetContent(list);
    for (const std::string& line : ReportLines(shownReportTexts))
        ListAddString(list, line);
    if (top > 0) SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

// ---- showing a record

void CaptionText2Dlg(HWND dlg, int id, const std::string& text) {
    const HWND control = Item(dlg, id);
    if (!IsWindowL(control)) return;
    if (DlgControlsTypes(id) == DlgControlTypeCombo) {
        // Items as stored: a "\n" in a template stays two characters in the list.
        for (const std::string& item : ListItems(text))
            ComboAddString(control, item);
    } else {
        SetWindowTextW(control, WideOf(StringCPP2String(text)).c_str());
    }
}

void ValueText2Dlg(HWND dlg, int id, const std::string& value) {
    if (IsValueButton(id)) {
        CheckDlgButton(dlg, id, GetControlValueB(id, value) ? BST_CHECKED : BST_UNCHECKED);
    } else if (DlgControlsTypes(id) == DlgControlTypeCombo) {
        const HWND combo = Item(dlg, id);
        if (!IsWindowL(combo)) return;
        // The first item the value begins, case ignored; otherwise the value as typed text.
        if (ComboSelectString(combo, value) == CB_ERR) ComboSetText(combo, value);
    }
}

// A language the language box does not offer would leave the box empty, and OK would then store
// the settings under a nameless section that the next start never reads. The shown language is
// therefore always offered.
void OfferShownLanguage(HWND dlg, const std::string& language) {
    const HWND combo = Item(dlg, IDC_Lang);
    if (language.empty() || !IsWindowL(combo)) return;
    if (SendMessageA(combo, CB_GETCURSEL, 0, 0) != CB_ERR) return;
    ComboAddString(combo, language);
    ComboSelectString(combo, language);
}

// The built-in languages are always offered: a list stored by an earlier version names Russian
// only, and its user would never find English.
void OfferBuiltInLanguages(HWND dlg) {
    const HWND combo = Item(dlg, IDC_Lang);
    if (!IsWindowL(combo)) return;
    for (const std::string& language : ListItems(DefCaptions()[IDC_Lang]))
        if (!language.empty() &&
            SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(WideOf(language).c_str())) == CB_ERR)
            ComboAddString(combo, language);
}

void SetDlgEn(HWND dlg, int id, bool enabled) {
    const HWND control = Item(dlg, id);
    if (control && IsWindowL(control)) EnableWindow(control, enabled);
}

void ReEnableControls(HWND dlg, const TPS& record) {
    const auto on = [&record](int id) { return GetControlValueB(id, record.DlgControlsV[id]); };
    for (int id = IDC_Enable + 1; id <= DlgControlsLast; ++id)
        SetDlgEn(dlg, id, on(IDC_Enable));
    SetDlgEn(dlg, IDC_CustomQIP, on(IDC_AllQIPNo));
    // Changing the caption cannot go with the condition that the caption is the configured one.
    const bool statusAllowed = on(IDC_Enable) && (on(IDC_IfAny) || !on(IDC_IfStatus));
    SetDlgEn(dlg, IDC_SetStatus, statusAllowed);
    SetDlgEn(dlg, IDC_Status, statusAllowed);
}

void Load2dialog(HWND dlg, const TPS& record) {
    try {
        for (int id : ComboIds)
            ComboResetContent(Item(dlg, id));
        for (int id : WideComboIds)
            ComboSetDroppedWidth(Item(dlg, id), WideDropWidth);
        // Every list is complete before any value is selected in it.
        for (int id = DlgControlsFirst; id <= DlgControlsLast; ++id)
            CaptionText2Dlg(dlg, id, record.DlgControlsC[id]);
        OfferBuiltInLanguages(dlg);
        for (int id = DlgControlsFirst; id <= DlgControlsLast; ++id)
            ValueText2Dlg(dlg, id, record.DlgControlsV[id]);
        OfferShownLanguage(dlg, record.DlgControlsV[IDC_Lang]);
        ReEnableControls(dlg, record);
        shownReportTexts = record.ReportC;
        ShowReport(dlg);
    } catch (...) {
    }
}

// ---- reading the dialog back

void Dlg2ValueText(HWND dlg, int id, TPS& into) {
    if (IsValueButton(id))
        into.DlgControlsV[id] = Value2ValueText(Checked(dlg, id));
    else if (DlgControlsTypes(id) == DlgControlTypeCombo)
        into.DlgControlsV[id] = Value2ValueText(ControlText(Item(dlg, id)));
}

std::string ComboListText(HWND combo) {
    std::string list;
    const LRESULT count = ComboGetCount(combo);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = ComboGetItemLength(combo, static_cast<WPARAM>(i));
        if (length < 0) continue;
        std::wstring item(static_cast<size_t>(length) + 2, L'\0');
        ComboGetItem(combo, static_cast<WPARAM>(i), item.data());
        list += ListDelim;
        list += Utf8Of(item.data(), wcsnlen(item.data(), item.size()));
    }
    return list + ListDelim;
}

void Dlg2CaptionText(HWND dlg, int id, TPS& into) {
    const HWND control = Item(dlg, id);
    if (DlgControlsTypes(id) == DlgControlTypeCombo) {
        if (IsWindowL(control)) into.DlgControlsC[id] = ComboListText(control);
    } else {
        into.DlgControlsC[id] = Value2ValueText(ControlText(control));
    }
}

void SaveDialog(HWND dlg) {
    for (int id = DlgControlsFirst; id <= DlgControlsLast; ++id)
        Dlg2ValueText(dlg, id, ps);
    for (int id = DlgControlsFirst; id <= DlgControlsLast; ++id)
        Dlg2CaptionText(dlg, id, ps);
    // The texts of the language shown: the tray and the next opening speak it too.
    ps.ReportC = shownReportTexts;
}

// The enable rules for the live settings with the states of the clicked group taken from the
// dialog. The live settings themselves stay as they are until OK.
void ReEnableWithDialogStates(HWND dlg, std::initializer_list<int> fromDialog) {
    TPS working = ps;
    for (int id : fromDialog)
        Dlg2ValueText(dlg, id, working);
    ReEnableControls(dlg, working);
}

// ---- the handlers

HWND openDialog = nullptr;

const TDialogActions* Actions(HWND dlg) {
    return reinterpret_cast<const TDialogActions*>(GetWindowLongPtrA(dlg, DWLP_USER));
}

void OnOK(HWND dlg) {
    const TDialogActions* actions = Actions(dlg);
    // The plugin was stopped while the dialog was open: nothing may be applied any more.
    if (actions && actions->stopped()) {
        EndDialog(dlg, IDCANCEL);
        return;
    }
    SaveDialog(dlg);
    const std::string failure = config_write();
    SetFailure(TFailure::Settings, !failure.empty(),
               StringReplace(Utf8FromAnsi(failure), "\n", "; ", rfReplaceAll));
    if (!failure.empty()) {
        // Told over the dialog, never passed off as stored; they still apply until Winamp quits.
        const std::string text = "Не удалось сохранить настройки:\n\n" + failure +
                                 "\n\nОни действуют до выхода из Winamp.";
        MessageBoxA(dlg, text.c_str(), AppName, MB_OK | MB_ICONWARNING);
    }
    if (actions) actions->apply();
    EndDialog(dlg, IDOK);
}

std::string ShownLanguage(HWND dlg) {
    return Value2ValueText(ControlText(Item(dlg, IDC_Lang)));
}

void OnLanguageChosen(HWND dlg) {
    TPS chosen = defPS;
    Load2(chosen, IniFileName(), ShownLanguage(dlg));
    Load2dialog(dlg, chosen);
}

// The built-in settings of the language shown where it is built in (English); any other language
// gets the Russian ones, and with them the language Russian.
void OnDefault(HWND dlg) {
    TPS builtIn = defPS;
    const std::string language = ShownLanguage(dlg);
    builtIn.DlgControlsC = DefCaptions(language);
    builtIn.DlgControlsV = DefValues(language);
    builtIn.ReportC = DefReportTexts(language);
    Load2dialog(dlg, builtIn);
}

void OnRadioClicked(HWND dlg, int id) {
    // Each radio button starts a group of its own, so the dialog manager leaves the pair alone.
    CheckRadioButton(dlg, IDC_AllQIP, IDC_AllQIPNo, id);
    ReEnableWithDialogStates(dlg, {IDC_AllQIP, IDC_AllQIPNo});
}

void OnConditionClicked(HWND dlg) {
    if (IsDlgButtonChecked(dlg, IDC_IfAny) != BST_CHECKED &&
        IsDlgButtonChecked(dlg, IDC_IfStatus) != BST_UNCHECKED)
        CheckDlgButton(dlg, IDC_SetStatus, BST_UNCHECKED);
    ReEnableWithDialogStates(dlg, {IDC_IfAny, IDC_IfStatus});
}

void OnCommand(HWND dlg, WPARAM wParam) {
    const int id = LOWORD(wParam);
    switch (id) {
    case IDOK: OnOK(dlg); break;
    case IDCANCEL: EndDialog(dlg, IDCANCEL); break;
    case IDC_Default: OnDefault(dlg); break;
    case IDC_Lang:
        if (HIWORD(wParam) == CBN_SELCHANGE) OnLanguageChosen(dlg);
        break;
    case IDC_AllQIP:
    case IDC_AllQIPNo: OnRadioClicked(dlg, id); break;
    case IDC_IfStatus:
    case IDC_IfAny: OnConditionClicked(dlg); break;
    case IDC_Enable: ReEnableWithDialogStates(dlg, {IDC_Enable}); break;
    default: break;
    }
}
} // namespace

void EndConfigDialog() {
    if (openDialog && IsWindow(openDialog)) EndDialog(openDialog, IDCANCEL);
}

INT_PTR CALLBACK ConfigProc(HWND hwndDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    try {
        switch (uMsg) {
        case WM_INITDIALOG:
            openDialog = hwndDlg;
            SetWindowLongPtrA(hwndDlg, DWLP_USER, lParam);
            Load2dialog(hwndDlg, ps);
            WatchReport(hwndDlg, ReportChanged);
            break;
        case WM_COMMAND: OnCommand(hwndDlg, wParam); break;
        case ReportChanged: ShowReport(hwndDlg); break;
        case WM_DESTROY:
            if (openDialog == hwndDlg) {
                openDialog = nullptr;
                WatchReport(nullptr, 0);
            }
            break;
        default: break;
        }
    } catch (...) {
    }
    return 0;
}
