// The built-in (Russian) captions and item lists, and the texts derived from them.
#pragma once
#include <array>
#include <string>

#include "settings/tps.h"

const TDlgControlsAr& DefCaptions();

// The three %PlayState texts cut from a VirtPlayState list caption.
std::array<std::string, 3> PlayStateTexts(const std::string& virtPlayStateCaption);
