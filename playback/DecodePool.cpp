#include "playback/DecodePool.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "recording/MediaFileMng.h"

int32_t DecodeThreadCount()
{
    if (const char* text = getenv("KVR_DECODE_THREADS")) {
        char* end = nullptr;
        const long count = strtol(text, &end, 10);
        if (end != text && *end == '\0' && count >= 1 && count <= kMaxDecodeThreads) {
            return static_cast<int32_t>(count);
        }
    }
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int32_t>(std::clamp<unsigned>(cores, 1, kMaxDecodeThreads));
}

DecodePool::~DecodePool()
{
    Stop();
}

int32_t DecodePool::Start(int32_t threads)
{
    Stop();
    const int32_t count = std::clamp(threads > 0 ? threads : DecodeThreadCount(), 1, kMaxDecodeThreads);
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = false;
        running.assign(static_cast<size_t>(count), nullptr);
    }
    workers.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        try {
            workers.emplace_back(&DecodePool::WorkerLoop, this, static_cast<size_t>(i));
        } catch (...) {
            break;   // fewer workers than asked: those there are do the work
        }
    }
    return workers.empty() ? -1 : 0;
}

void DecodePool::Stop()
{
    DropQueued();
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    workListed.notify_all();
    for (std::thread& worker : workers) {
        worker.join();
    }
    workers.clear();
}

void DecodePool::List(DecodeQueue* queue)
{
    queue->listed = true;
    queue->next = nullptr;
    if (lastListed != nullptr) {
        lastListed->next = queue;
    } else {
        firstListed = queue;
    }
    lastListed = queue;
}

void DecodePool::Unlist(DecodeQueue* queue)
{
    DecodeQueue* previous = nullptr;
    for (DecodeQueue* at = firstListed; at != nullptr; previous = at, at = at->next) {
        if (at != queue) {
            continue;
        }
        (previous != nullptr ? previous->next : firstListed) = at->next;
        if (lastListed == at) {
            lastListed = previous;
        }
        break;
    }
    queue->listed = false;
    queue->next = nullptr;
}

void DecodePool::Submit(DecodeQueue* queue, const uint8_t* packet, uint32_t length)
{
    if (workers.empty() || !queue->QueueReady() || length > kMediaReadCapacity) {
        Forget(queue);   // no worker may decode the view meanwhile
        queue->DecodeQueued(packet, length);
        return;
    }
    std::unique_lock<std::mutex> guard(lock);
    workDone.wait(guard, [queue] { return queue->count < kDecodeQueueDepth; });
    const int32_t slot = (queue->head + queue->count) % kDecodeQueueDepth;
    memcpy(queue->buffers[slot], packet, length);
    queue->lengths[slot] = length;
    ++queue->count;
    ++packetsQueued;
    if (!queue->decoding && !queue->listed) {
        List(queue);
        guard.unlock();
        workListed.notify_one();
    }
}

void DecodePool::WorkerLoop(size_t worker)
{
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        workListed.wait(guard, [this] { return stopping || firstListed != nullptr; });
        if (stopping) {
            return;
        }
        DecodeQueue* queue = firstListed;
        Unlist(queue);
        queue->decoding = true;
        running[worker] = queue;
        ++decodesUnderWay;
        const int32_t slot = queue->head;
        guard.unlock();
        queue->DecodeQueued(queue->buffers[slot], queue->lengths[slot]);
        guard.lock();
        queue->decoding = false;
        running[worker] = nullptr;
        --decodesUnderWay;
        queue->head = (queue->head + 1) % kDecodeQueueDepth;
        --queue->count;
        --packetsQueued;
        if (queue->count > 0) {
            List(queue);
            workListed.notify_one();
        }
        workDone.notify_all();
    }
}

int32_t DecodePool::DropQueued()
{
    std::unique_lock<std::mutex> guard(lock);
    const int32_t queuedBefore = packetsQueued;
    while (firstListed != nullptr) {
        DecodeQueue* queue = firstListed;
        packetsQueued -= queue->count;
        queue->count = 0;
        Unlist(queue);
    }
    for (DecodeQueue* queue : running) {
        if (queue != nullptr) {
            packetsQueued -= queue->count - 1;   // the one under way stays
            queue->count = 1;
        }
    }
    const int32_t dropped = queuedBefore - packetsQueued;
    workDone.notify_all();
    workDone.wait(guard, [this] { return decodesUnderWay == 0; });
    return dropped;
}

void DecodePool::WaitIdle()
{
    std::unique_lock<std::mutex> guard(lock);
    workDone.wait(guard, [this] { return packetsQueued == 0; });
}

void DecodePool::Forget(DecodeQueue* queue)
{
    std::unique_lock<std::mutex> guard(lock);
    if (queue->listed) {
        Unlist(queue);
    }
    packetsQueued -= queue->count - (queue->decoding ? 1 : 0);
    queue->count = queue->decoding ? 1 : 0;
    workDone.notify_all();
    workDone.wait(guard, [queue] { return !queue->decoding; });
}
