#include "video/PicturePlacement.h"

#include <cmath>

namespace {

double TruncateToHundredths(double scale)
{
    return std::floor(scale * 100.0) / 100.0;
}

}  // namespace

PicturePlace PlacePicture(int32_t areaWidth, int32_t areaHeight, int32_t titleHeight, int32_t frameWidth,
                          int32_t frameHeight, bool naturalSize)
{
    const int32_t aw = areaWidth;
    const int32_t ah = areaHeight;
    const int32_t viewWidth = aw;
    const int32_t viewHeight = ah + titleHeight;
    PicturePlace place{0, titleHeight, aw, ah};
    if (!naturalSize || frameWidth == 0 || frameHeight == 0) {
        return place;
    }
    const int32_t fw = frameWidth;
    const int32_t fh = frameHeight;
    double sx = 1.0;
    double sy = 1.0;
    if (!(aw > fw && ah > fh)) {
        sx = TruncateToHundredths(static_cast<double>(aw) / fw);
        sy = TruncateToHundredths(static_cast<double>(ah) / fh);
    }
    if (sx > sy) {
        place.width = static_cast<int32_t>(fw * sy);
        place.height = ah;
        place.x = (viewWidth - place.width + 1) / 2;
        place.y = titleHeight;
    } else if (sx < sy) {
        place.height = static_cast<int32_t>(fh * sx);
        place.width = aw;
        place.x = 0;
        place.y = (viewHeight - place.height + titleHeight) / 2;
    } else {
        if (aw > fw) {
            place.width = fw;
            place.height = fh;
        } else {
            place.width = aw;
            place.height = ah;
        }
        place.x = (viewWidth - place.width + 1) / 2;
        place.y = (viewHeight - place.height + titleHeight) / 2;
    }
    return place;
}
