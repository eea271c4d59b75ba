// Draws the picture a snapshot saves: the frame upright at its own size with the view's
// caption in a black band at its top-left corner.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "video/VideoCodecId.h"

// `pixels` is a frame as the view holds it (packed BGR, rows of width x 3 bytes, row order by
// `codec`); `caption` is UTF-8. `image` receives width x height x 3 bytes of packed BGR, bottom
// row first, ready for EncodeJpeg or BuildBmpFile; it is left empty for a frame without size.
// 0, or -1 when the pixels are missing or the picture cannot be allocated.
int32_t RenderSnapshotImage(const uint8_t* pixels, uint32_t width, uint32_t height, VideoCodecId codec,
                            const std::string& caption, std::vector<uint8_t>* image);
