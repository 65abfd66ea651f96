// The status picture an update sets.
#pragma once
#include <cstdint>
#include <string>

// The picture index for the Picture setting: a number taken as it is, otherwise the position
// of the name in the picture list (case ignored), otherwise the number parsed (-1 for a name).
int32_t PictureIndex(const std::string& value, const std::string& pictureList);
