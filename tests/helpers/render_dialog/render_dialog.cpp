// Opens the settings dialog with the built-in settings, as Winamp's "Configure" would, after an
// update that served one QIP and found an R&Q without its status form, and saves what the screen
// shows of it as a 24-bit BMP. tools/render-dialog turns that into the README's
// picture.
//   render_dialog.exe OUT.bmp
#include <windows.h>

#include <cstdio>
#include <vector>

#include "dialog/config_dialog.h"
#include "plugin/gen_Lumtra.h"
#include "report/last_update.h"
#include "settings/settings.h"
#include "windows/desktop.h"

namespace {
BOOL WINAPI NoTray(DWORD, PNOTIFYICONDATAW) {
    return TRUE;
}

void PumpFor(DWORD ms) {
    const DWORD until = GetTickCount() + ms;
    while (GetTickCount() < until) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

bool SaveBmp(const char* path, HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h; // bottom row first, as BMP files store it
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    const DWORD imageSize = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + imageSize;
    bool ok = false;
    if (FILE* f = std::fopen(path, "wb")) {
        ok = std::fwrite(&fh, sizeof fh, 1, f) == 1 &&
             std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
             std::fwrite(bits, imageSize, 1, f) == 1;
        ok = std::fclose(f) == 0 && ok;
    }
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_dialog OUT.bmp\n");
        return 2;
    }
    LoadTimeInit();
    plugin.hDllInstance = GetModuleHandleA(nullptr); // the dialog is linked into this program
    Desktop.Shell_NotifyIconW = &NoTray;
    ps = defPS;
    TLastUpdate update;
    update.track = "\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE - \xD0\x93\xD1\x80\xD1\x83\xD0\xBF\xD0"
                   "\xBF\xD0\xB0 \xD0\xBA\xD1\x80\xD0\xBE\xD0\xB2\xD0\xB8"; // Кино - Группа крови
    update.clients = {{"QIP", "QIP 2005 - 123456", TClientResult::Set},
                      {"R&Q", "R&Q 654321 nick", TClientResult::NoForm}};
    PublishUpdate(update);
    HWND dlg = CreateDialogParamW(plugin.hDllInstance, L"#101", nullptr, &ConfigProc, 0);
    if (!dlg) {
        std::fprintf(stderr, "render_dialog: dialog 101 could not be created\n");
        return 1;
    }
    SetForegroundWindow(dlg);
    PumpFor(1500);
    RedrawWindow(dlg, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(500);
    const bool ok = SaveBmp(argv[1], dlg);
    DestroyWindow(dlg);
    if (!ok) std::fprintf(stderr, "render_dialog: cannot write %s\n", argv[1]);
    return ok ? 0 : 1;
}
