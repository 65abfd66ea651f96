// Where the plugin's files live. Beside the library wherever that folder can be written (an
// existing file there keeps working as it always has); where it cannot (Program Files for a
// normal user), in a per-user folder: the one the host names for plugin files, else one under the
// user's application data. One rule for reading and writing keeps the two from disagreeing: the
// per-user file is read when it holds the plugin's data, and a save beside the library removes a
// per-user file it supersedes.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// The host's version from which it answers the request for its settings folder: Winamp 2.90
// (Winamp 2.yx answers 0x20yx, Winamp 5.yx 0x50yx).
inline constexpr int32_t HostIniDirectoryVersion = 0x2090;
// From this one on the same folder is asked in Unicode.
inline constexpr int32_t HostIniDirectoryWVersion = 0x5058;

// Works out the per-user folder for this run: asked of the host (Winamp's thread), checked, else
// the application-data one. Before it is first called the application-data folder is used.
void FindUserFolder();
void ForgetUserFolder(); // as at library load

// The two places of one of the plugin's files, by the ending after the library's own name
// (".ini"). user is empty when no per-user folder is known. A value of its own, with the folders
// that lead to the per-user file, so that a write can go on another thread.
//
// Several installs of Winamp may serve one user, each with its own library, and they share the
// per-user folder. A per-user file names in its first line the library it belongs to; another
// install's file is never read, written or removed. An install that finds the per-user name taken
// by another's file uses a name of its own beside it (userOwn: the file's name with a number
// drawn from the library's path). A file without that line was written before files were marked
// and is taken to be this install's, as it always was.
struct TFilePlaces {
    std::string library;
    std::string user;
    std::string userOwn;
    std::vector<std::string> userFolders; // made in this order before the per-user file is written
    std::string owner;                    // the library's path, as the per-user file names it
};
TFilePlaces PlacesOf(const std::string& ending);

// The file to read: a per-user one of this install when holdsData says it holds what only the
// plugin writes (an empty or foreign file must not hide the one beside the library), else the
// library's. Its owner line is no part of what holdsData and the reader see: see WithoutOwner.
std::string FileToRead(const TFilePlaces& places, bool (*holdsData)(const std::string& path));
// The text of a file without the owner line a per-user file begins with (after the byte-order
// mark of a file its user saved with one; the line is then in the file's own encoding).
std::string WithoutOwner(const std::string& text);

// Writes text as the whole file where it belongs (see above). On success path names where it
// went; otherwise failure tells, in the user's words, each file tried and why. Reads nothing but
// its arguments: any thread may call it.
struct TPlacedWrite {
    std::string path;
    std::string failure;
};
TPlacedWrite WritePlaced(const TFilePlaces& places, const std::string& text, bool durable);

// One line of such a failure: the file, and the system's own words for why.
std::string FileFailure(const std::string& path, DWORD error);
