// Track fields of one playlist entry, as Winamp reports them.
#pragma once
#include <windows.h>
#include <array>
#include <cstdint>
#include <string>

// The ten field keys and, in the same order, the template placeholders that stand for them.
// "COPY", "FILE" and "PLAYSTATE" are the plugin's own keys; the others are Winamp's metadata
// names and go to the host exactly as written.
inline constexpr std::array<const char*, 10> FormatTitleCmd = {
    "ARTIST", "TITLE", "ALBUM", "TRACK", "COMMENT", "YEAR", "GENRE", "COPY", "FILE", "PLAYSTATE"};
inline constexpr std::array<const char*, 10> FormatTitleMask = {
    "%Artist", "%Title", "%Album", "%Track", "%Comment",
    "%Year",   "%Genre", "%Copy",  "%File",  "%PlayState"};
inline constexpr size_t PlayStateField = 9;

// Size of the reply buffer handed to the host with an extended-file-info request.
inline constexpr int32_t ExtendedInfoRetLen = 256;

// Whether the entry's file is an internet stream's address. Winamp's decoders answer no tags for
// one (unless the stream carries its own): its song is in the title Winamp shows, which changes
// with every song.
bool IsStreamAddress(const std::string& file);

// Whether the track's texts are asked in Unicode: the host offers them (Winamp 5.13 and later).
bool TrackTextsInUnicode();

// The trimmed text of one field of the entry at PlayListPos whose file is f, in UTF-8 as every
// track text; empty when the host has nothing for it. Where the host has neither an artist nor a
// title for the entry (a stream always), both come from its playlist title, "Artist - Song".
std::string format2value(int32_t PlayListPos, const std::string& f, const std::string& field);

// Drops the tags kept for the stream last asked about (as at library load).
void ForgetStreamTags();
