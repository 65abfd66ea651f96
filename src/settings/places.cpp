#include "settings/places.h"

#include <shlobj.h>

#include <cstdio>
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

// The first line of a per-user file: a comment to the profile functions, a line the journal's
// reader skips.
constexpr char OwnerHead[] = "; gen_Lumtra library=";

// Far more than the plugin ever writes: a larger file is none of its own, nor names an owner.
constexpr DWORD MaxOwnedFileBytes = 1024 * 1024;

// The byte-order mark a text begins with, if any: a file the user saved in Notepad may carry one,
// and the owner line goes after it, in the text's own encoding.
std::string MarkOf(const std::string& text) {
    for (const char* mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"})
        if (text.rfind(mark, 0) == 0) return mark;
    return {};
}
bool IsUtf16(const std::string& mark) {
    return mark.size() == 2;
}

// A UTF-8 text as the marked text spells it.
std::string Spelled(const std::string& utf8, const std::string& mark) {
    if (!IsUtf16(mark)) return utf8;
    std::string bytes;
    for (const wchar_t c : WideOf(utf8)) {
        const char low = static_cast<char>(c & 0xFF), high = static_cast<char>((c >> 8) & 0xFF);
        bytes += mark == "\xFF\xFE" ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
}

// Where the owner line's text begins in text (after a mark), or npos where it has none.
size_t OwnerLineAt(const std::string& text) {
    const std::string mark = MarkOf(text);
    const std::string head = Spelled(OwnerHead, mark);
    return text.compare(mark.size(), head.size(), head) == 0 ? mark.size() : std::string::npos;
}

// One past the end of the line that begins at from (its line end included).
size_t LineEnd(const std::string& text, size_t from, const std::string& mark) {
    const std::string lf = Spelled("\n", mark);
    for (size_t i = from; i + lf.size() <= text.size(); i += lf.size())
        if (text.compare(i, lf.size(), lf) == 0) return i + lf.size();
    return text.size();
}

// The library a file names as its owner; empty for a file that names none (or cannot be read).
std::string OwnerOf(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text, MaxOwnedFileBytes)) return {};
    const size_t at = OwnerLineAt(text);
    if (at == std::string::npos) return {};
    const std::string mark = MarkOf(text);
    const size_t from = at + Spelled(OwnerHead, mark).size();
    std::string line = text.substr(from, LineEnd(text, from, mark) - from);
    if (IsUtf16(mark)) {
        std::wstring wide(line.size() / 2, L'\0');
        for (size_t i = 0; i < wide.size(); ++i) {
            const auto b0 = static_cast<unsigned char>(line[2 * i]),
                       b1 = static_cast<unsigned char>(line[2 * i + 1]);
            wide[i] = static_cast<wchar_t>(mark == "\xFF\xFE" ? b0 | b1 << 8 : b1 | b0 << 8);
        }
        line = Utf8Of(wide);
    }
    return line.substr(0, line.find_first_of("\r\n"));
}

// Whether the file is another install's: it names a library, and not this one.
bool OthersFile(const std::string& path, const std::string& owner) {
    const std::string named = OwnerOf(path);
    return !named.empty() && !SameTextU(named, owner);
}

bool OwnFile(const std::string& path, const std::string& owner) {
    return !path.empty() && Exists(path) && !OthersFile(path, owner);
}

std::string WithOwner(const std::string& text, const std::string& owner) {
    const std::string rest = WithoutOwner(text), mark = MarkOf(rest);
    return mark + Spelled(OwnerHead + owner + "\r\n", mark) + rest.substr(mark.size());
}

// A name of this install's own beside the shared one: the library's path, in one case, hashed
// (FNV-1a), before the ending.
std::string OwnName(const std::string& user, const std::string& ending, const std::string& owner) {
    uint32_t h = 2166136261u;
    for (const unsigned char c : UpperU(owner))
        h = (h ^ c) * 16777619u;
    char tag[16];
    snprintf(tag, sizeof tag, ".%08x", h);
    return user.substr(0, user.size() - ending.size()) + tag + ending;
}

// Writes the per-user file of this install, where the shared name is not another's.
DWORD WriteUserFile(const TFilePlaces& places, const std::string& text, bool durable,
                    std::string& path) {
    // Once it had to take a name of its own, it keeps it: that is the one read first.
    const bool own = OwnFile(places.userOwn, places.owner) || OthersFile(places.user, places.owner);
    path = own ? places.userOwn : places.user;
    return WriteWholeFile(path, WithOwner(text, places.owner), durable);
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
    TFilePlaces p{library + ending, {}, {}, {}, library};
    if (!userFolders.empty()) {
        const std::string user = userFolders.back() + "\\" + FileNameOf(library) + ending;
        const std::string own = OwnName(user, ending, library);
        // Too long for the file functions, or the same file after all: no second place.
        if (WideOf(own).size() < MAX_PATH && !SameTextU(user, p.library)) {
            p.user = user;
            p.userOwn = own;
            p.userFolders = userFolders;
        }
    }
    return p;
}

std::string FileToRead(const TFilePlaces& places, bool (*holdsData)(const std::string& path)) {
    // The install's own name is used only while the shared one is another's.
    for (const std::string& user : {places.userOwn, places.user})
        if (OwnFile(user, places.owner) && holdsData(user)) return user;
    return places.library;
}

std::string WithoutOwner(const std::string& text) {
    const size_t at = OwnerLineAt(text);
    if (at == std::string::npos) return text;
    return text.substr(0, at) + text.substr(LineEnd(text, at, MarkOf(text)));
}

TPlacedWrite WritePlaced(const TFilePlaces& places, const std::string& text, bool durable) {
    const DWORD error = WriteWholeFile(places.library, WithoutOwner(text), durable);
    if (!error) {
        // A per-user file of this install left from a time the library's folder could not be
        // written would be read at the next start instead: it goes, or, when it cannot, it is
        // kept the same. Another install's stays as it is.
        for (const std::string& user : {places.userOwn, places.user}) {
            if (!OwnFile(user, places.owner) || DeleteFileW(WideOf(user).c_str())) continue;
            const DWORD userError = WriteWholeFile(user, WithOwner(text, places.owner), durable);
            if (userError) return {{}, FileFailure(user, userError)};
        }
        return {places.library, {}};
    }
    if (places.user.empty()) return {{}, FileFailure(places.library, error)};
    MakeFolders(places.userFolders);
    std::string user;
    const DWORD userError = WriteUserFile(places, text, durable, user);
    if (!userError) return {user, {}};
    return {{}, FileFailure(places.library, error) + "\n" + FileFailure(user, userError)};
}

std::string FileFailure(const std::string& path, DWORD error) {
    char reason[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reason, sizeof reason, nullptr);
    const std::string text = Trim(std::string(reason, n));
    // Said to the user in the code page's text, as every message of the plugin.
    return AnsiFromUtf8(path) + ": " + (text.empty() ? "error " + std::to_string(error) : text);
}
