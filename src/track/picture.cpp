#include "track/picture.h"

#include "support/supportLumtra.h"
#include "support/unicode.h"

int32_t PictureIndex(const std::string& value, const std::string& pictureList) {
    const int32_t n = StrToIntDef(value, -1);
    if (n >= 0) return n;
    // The positions are those of the dialog's picture box and of the client's own list.
    const std::string wanted = UpperU(value);
    const auto items = ListItems(pictureList);
    for (size_t i = 0; i < items.size(); ++i)
        if (UpperU(items[i]) == wanted) return static_cast<int32_t>(i);
    return n;
}
