#include "playback/DecodeQueue.h"

#include <new>

#include "recording/MediaFileMng.h"

DecodeQueue::~DecodeQueue()
{
    FreeQueue();
}

int32_t DecodeQueue::AllocateQueue()
{
    for (uint8_t*& slot : buffers) {
        if (slot == nullptr) {
            slot = new (std::nothrow) uint8_t[kMediaReadCapacity];
        }
        if (slot == nullptr) {
            FreeQueue();
            return -1;
        }
    }
    return 0;
}

void DecodeQueue::FreeQueue()
{
    for (uint8_t*& slot : buffers) {
        delete[] slot;
        slot = nullptr;
    }
}
