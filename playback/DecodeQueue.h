// A view's packets waiting for the decode pool: a few fixed slots, filled by the playback thread
// and emptied in order by whichever worker decodes the view, so one view's pictures are always
// decoded one after another while different views decode at the same time.
//
// Why three slots: one packet being decoded, one ready for the moment that decode ends, and one
// the reader may fill meanwhile. More would only let reading run further ahead of the pictures
// shown (each slot is up to 125 ms of an 8 frames/s camera) and cost half a megabyte a view.
#pragma once

#include <cstdint>

constexpr int32_t kDecodeQueueDepth = 3;

class DecodePool;

class DecodeQueue {
public:
    DecodeQueue() = default;
    virtual ~DecodeQueue();
    DecodeQueue(const DecodeQueue&) = delete;
    DecodeQueue& operator=(const DecodeQueue&) = delete;

    // The slots' buffers, each as large as the largest packet the reader gives; made when the
    // view's window is, freed with it. 0, or -1 when memory is short (the view then decodes on the
    // thread that hands it packets). The pool must hold nothing of this queue when they are freed:
    // see DecodePool::Forget.
    int32_t AllocateQueue();
    void FreeQueue();
    bool QueueReady() const { return buffers[0] != nullptr; }

    // Decodes one packet; on a worker of the pool, or on the caller's thread when there is no pool.
    virtual void DecodeQueued(const uint8_t* packet, uint32_t length) = 0;

private:
    friend class DecodePool;

    uint8_t* buffers[kDecodeQueueDepth] = {};
    uint32_t lengths[kDecodeQueueDepth] = {};
    // Guarded by the pool's lock.
    int32_t head = 0;       // the oldest packet
    int32_t count = 0;      // packets queued, the one being decoded included
    bool decoding = false;  // a worker decodes the packet at `head`
    bool listed = false;    // in the pool's list of queues with work
    DecodeQueue* next = nullptr;
};
