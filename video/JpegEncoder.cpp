#include "video/JpegEncoder.h"

#include <turbojpeg.h>

int32_t EncodeJpeg(const uint8_t* bgr, uint32_t width, uint32_t height, int32_t quality, bool grayscale,
                   std::vector<uint8_t>* jpeg)
{
    tjhandle handle = tjInitCompress();
    if (handle == nullptr) {
        return -1;
    }
    unsigned char* data = nullptr;
    unsigned long size = 0;
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    const int result = tjCompress2(handle, bgr, w, w * 3, h, TJPF_BGR, &data, &size, grayscale ? TJSAMP_GRAY : TJSAMP_420,
                                   quality, 0);
    if (result == 0) {
        jpeg->assign(data, data + size);
    }
    tjFree(data);
    tjDestroy(handle);
    return result == 0 ? 0 : -1;
}
