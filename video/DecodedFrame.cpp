#include "video/DecodedFrame.h"

#include <new>

bool AllocateFramePixels(DecodedFrame* frame)
{
    if (frame->pixels == nullptr) {
        frame->pixels = new (std::nothrow) uint8_t[kFramePixelCapacity];
    }
    return frame->pixels != nullptr;
}

void FreeFramePixels(DecodedFrame* frame)
{
    delete[] frame->pixels;
    frame->pixels = nullptr;
    frame->width = 0;
    frame->height = 0;
}
