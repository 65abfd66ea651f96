#include "clients/clients.h"

#include "clients/qip.h"
#include "clients/rnq.h"
#include "clients/slots.h"
#include "settings/settings.h"
#include "support/send.h"
#include "support/window_search.h"
#include "support/window_text.h"

TICQClient QIPClient;
TICQClient RnQClient;
std::array<TICQClient, 2> ICQClients;

void InitClientKinds() {
    QIPClient = TICQClient{"TMainForm", "", "TCusForm", "", &GetChilds_QIP, &SetStatus_QIP};
    RnQClient = TICQClient{"TRnQmain", "", "TxStatusForm", "", &GetChilds_RnQ, &SetStatus_RnQ};
    ICQClients = {QIPClient, RnQClient};
}

namespace {
const TICQClient* KindOf(HWND wind) {
    const std::string cls = sGetWindowClass(wind);
    for (const TICQClient& c : ICQClients)
        if (!cls.empty() && cls == c.szStatusClass) return &c;
    return nullptr;
}

// The R&Q main window of the form's process when there is one (the last in enumeration order
// wins), otherwise the form's owner.
HWND MainWindowOf(HWND form, const TWindowsAr& rnqMains) {
    HWND main = GetParent(form);
    DWORD formPid = 0;
    GetWindowThreadProcessId(form, &formPid);
    for (int i = 0; i < rnqMains.wwCounter; ++i) {
        DWORD pid = 0;
        GetWindowThreadProcessId(rnqMains.windows[static_cast<size_t>(i)], &pid);
        if (pid != 0 && pid == formPid) main = rnqMains.windows[static_cast<size_t>(i)];
    }
    return main;
}

// All running clients, or only those whose main-window title contains the user's text
// (typically the account number the client shows there). Case-sensitive; empty never matches.
bool Selected(HWND main) {
    if (GetControlValueB(IDC_AllQIP)) return true;
    const std::string custom = GetControlValueT(IDC_CustomQIP);
    return !custom.empty() && sGetWindowTitle(main).find(custom) != std::string::npos;
}
} // namespace

TStatusWindow GetChilds(HWND wind, HWND parent) {
    const TICQClient* kind = KindOf(wind);
    return kind && kind->GetChilds ? kind->GetChilds(wind, parent) : nilTStatusWindows;
}

bool SetStatus(HWND wParent) {
    const TICQClient* kind = KindOf(wParent);
    return kind && kind->SetStatus ? kind->SetStatus(wParent) : false;
}

void SetText() {
    TSendPass pass; // bounds every message and the update as a whole
    TWindowsAr forms = nilTWindowsAr;
    for (const TICQClient& c : ICQClients)
        AddClassName(forms.szClass, c.szStatusClass);
    if (FindChildsWindows(nullptr, forms) == 0) return;
    // Every client is asked at once whether it answers: several hung ones cost one wait together.
    ProbeClients(forms.windows.data(), forms.wwCounter);

    if (GetControlValueB(IDC_SaveRestore)) StoreStatuses(forms);

    TWindowsAr mains = nilTWindowsAr;
    AddClassName(mains.szClass, RnQClient.szMainClass);
    FindChildsWindows(nullptr, mains);

    for (int i = 0; i < forms.wwCounter; ++i) {
        const HWND form = forms.windows[static_cast<size_t>(i)];
        if (IsUnanswering(form)) continue;
        // One hand-off per client: the choice by its main window's title, and its status.
        RunOnSender([&] {
            if (Selected(MainWindowOf(form, mains))) SetStatus(form);
        });
    }
}
