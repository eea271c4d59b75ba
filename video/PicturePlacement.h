// Where a view draws its picture inside its video area: stretched over the whole area, or (at the
// picture's natural size) kept in proportion and centred, never enlarged. One rule for the paint
// and for the workers that convert each picture to the size it will be drawn at.
#pragma once

#include <cstdint>

struct PicturePlace {
    int32_t x = 0;        // from the view's left edge
    int32_t y = 0;        // from the view's top edge, the title bar included
    int32_t width = 0;
    int32_t height = 0;
};

// `areaWidth` x `areaHeight` is the video area below a title bar `titleHeight` pixels high.
PicturePlace PlacePicture(int32_t areaWidth, int32_t areaHeight, int32_t titleHeight, int32_t frameWidth,
                          int32_t frameHeight, bool naturalSize);
