// Status texts built from the user's templates.
#pragma once
#include <string>

// Expands a template (placeholders such as %Artist, escaped line breaks) for the entry at
// Winamp's current playlist position, into UTF-8, and remembers that entry's file in ps.CurFile.
std::string FormatText(const std::string& inp);

// Whether a template shows the play state (%PlayState, in any case), as FormatText finds it.
bool ShowsPlayState(const std::string& inp);
