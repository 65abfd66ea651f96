#include "settings/places.h"

#include <shlobj.h>

#include <vector>

#include "host/plugin_record.h"
#include "host/host.h"
#include "host/wa_ipc.h"
#include "settings/settings.h"
#include "support/file_text.h"
#include "support/supportLumtra.h"
#include "support/unicode.h"

namespace {
// The per-user folder and, first, the folders that lead to it, in the order they are made.
// Winamp's thread only.
std::vector<std::string> userFolders;
bool userFolderFound = false;

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

// Every path here is UTF-8, used by its wide name.
bool IsFolder(const std::string& path) {
    const DWORD a = GetFileAttributesW(WideOf(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// The host's folder for plugin files, or empty: asked in Unicode where the host offers it.
std::string HostPluginsFolder() {
    if (defPS.WinampVer < HostIniDirectoryVersion || !plugin.hwndParent) return {};
    std::string folder;
    std::wstring wide;
    if (defPS.WinampVer >= HostIniDirectoryWVersion &&
        CopyHostString(reinterpret_cast<const wchar_t*>(HostQuery(IPC_GETINIDIRECTORYW)), MAX_PATH,
                       wide))
        folder = Utf8Of(wide);
    else if (CopyHostString(reinterpret_cast<const char*>(HostQuery(IPC_GETINIDIRECTORY)), MAX_PATH,
                            folder))
        folder = Utf8FromAnsi(folder);
    else
        return {};
    folder = WithoutTrailingSlash(folder);
    return !folder.empty() && IsFolder(folder) ? folder : std::string();
}

std::string AppDataFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    const std::string folder = WithoutTrailingSlash(Utf8Of(path, wcsnlen(path, MAX_PATH)));
    return IsFolder(folder) ? folder : std::string();
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void MakeFolders(const std::vector<std::string>& folders) {
    for (const std::string& f : folders)
        CreateDirectoryW(WideOf(f).c_str(), nullptr); // an existing one answers "already there"
}

bool Exists(const std::string& path) {
    return GetFileAttributesW(WideOf(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

void FindUserFolder() {
    userFolders.clear();
    userFolderFound = true;
    if (const std::string host = HostPluginsFolder(); !host.empty()) {
        userFolders = {host + "\\Plugins"};
    } else if (const std::string appData = AppDataFolder(); !appData.empty()) {
        // Where Winamp itself keeps a user's files when it has a folder per user.
        userFolders = {appData + "\\Winamp", appData + "\\Winamp\\Plugins"};
    }
}

void ForgetUserFolder() {
    userFolders.clear();
    userFolderFound = false;
}

TFilePlaces PlacesOf(const std::string& ending) {
    if (!userFolderFound) FindUserFolder();
    const std::string library = GetModuleName(plugin.hDllInstance);
    TFilePlaces p{library + ending, {}, {}};
    if (!userFolders.empty()) {
        const std::string user = userFolders.back() + "\\" + FileNameOf(library) + ending;
        // Too long for the file functions, or the same file after all: no second place.
        if (WideOf(user).size() < MAX_PATH && !SameTextU(user, p.library)) {
            p.user = user;
            p.userFolders = userFolders;
        }
    }
    return p;
}

std::string FileToRead(const TFilePlaces& places, bool (*holdsData)(const std::string& path)) {
    return !places.user.empty() && holdsData(places.user) ? places.user : places.library;
}

TPlacedWrite WritePlaced(const TFilePlaces& places, const std::string& text, bool durable) {
    const DWORD error = WriteWholeFile(places.library, text, durable);
    if (!error) {
        // A per-user file left from a time the library's folder could not be written would be
        // read at the next start instead: it goes, or, when it cannot, it is kept the same.
        if (places.user.empty() || !Exists(places.user) || DeleteFileW(WideOf(places.user).c_str()))
            return {places.library, {}};
        const DWORD userError = WriteWholeFile(places.user, text, durable);
        if (!userError) return {places.library, {}};
        return {{}, FileFailure(places.user, userError)};
    }
    if (places.user.empty()) return {{}, FileFailure(places.library, error)};
    MakeFolders(places.userFolders);
    const DWORD userError = WriteWholeFile(places.user, text, durable);
    if (!userError) return {places.user, {}};
    return {{}, FileFailure(places.library, error) + "\n" + FileFailure(places.user, userError)};
}

std::string FileFailure(const std::string& path, DWORD error) {
    char reason[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reason, sizeof reason, nullptr);
    const std::string text = Trim(std::string(reason, n));
    // Said to the user in the code page's text, as every message of the plugin.
    return AnsiFromUtf8(path) + ": " + (text.empty() ? "error " + std::to_string(error) : text);
}
