// The built-in captions and item lists (Russian and English), and the texts derived from them.
#pragma once
#include <array>
#include <string>

#include "settings/tps.h"

// "English", in any case of its letters: the one language besides Russian built in.
bool IsEnglish(const std::string& language);
// The Russian ones.
const TDlgControlsAr& DefCaptions();
// The built-in ones of a language: English for English, Russian for every other language (a
// translation of the user's own falls back to them, as it always did).
const TDlgControlsAr& DefCaptions(const std::string& language);

// The three %PlayState texts cut from a VirtPlayState list caption.
std::array<std::string, 3> PlayStateTexts(const std::string& virtPlayStateCaption);
