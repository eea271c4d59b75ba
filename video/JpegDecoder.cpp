#include "video/JpegDecoder.h"

#include <turbojpeg.h>

#include <new>

#include "video/DecodedFrame.h"

JpegDecoder* CreateJpegDecoder()
{
    auto* decoder = new (std::nothrow) JpegDecoder;
    if (decoder == nullptr) {
        return nullptr;
    }
    decoder->handle = tjInitDecompress();
    if (decoder->handle == nullptr) {
        delete decoder;
        return nullptr;
    }
    return decoder;
}

void FreeJpegDecoder(JpegDecoder* decoder)
{
    if (decoder == nullptr) {
        return;
    }
    if (decoder->handle != nullptr) {
        tjDestroy(decoder->handle);
    }
    delete decoder;
}

void ResetJpegDecoder(JpegDecoder* decoder)
{
    if (decoder->handle != nullptr) {
        tjDestroy(decoder->handle);
    }
    decoder->handle = tjInitDecompress();
}

int32_t ReadJpegImage(JpegDecoder* decoder, const uint8_t* data, uint32_t length, DecodedFrame* frame)
{
    if (decoder->handle == nullptr) {
        ResetJpegDecoder(decoder);
        if (decoder->handle == nullptr) {
            return -1;
        }
    }
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colorspace = 0;
    if (tjDecompressHeader3(decoder->handle, data, length, &width, &height, &subsampling, &colorspace) != 0) {
        return -1;
    }
    if (width <= 0 || height <= 0 || !FrameSizeFits(static_cast<uint32_t>(width), static_cast<uint32_t>(height))) {
        // A picture the buffer cannot hold is dropped; its size is not kept either, so nobody
        // reads that many pixels out of the buffer.
        return -1;
    }
    frame->width = static_cast<uint32_t>(width);
    frame->height = static_cast<uint32_t>(height);
    // Warnings (damaged or truncated data) count as failures too: the picture is not whole.
    if (tjDecompress2(decoder->handle, data, length, frame->pixels, width, width * 3, height, TJPF_BGR,
                      TJFLAG_BOTTOMUP) != 0) {
        return -1;
    }
    return 0;
}
