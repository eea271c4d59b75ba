// Worker threads that decode the views' packets: each view's packets in order, different views at
// the same time. The playback thread reads and paces as before and hands every video packet to its
// view's queue (DecodeQueue); a full queue holds the reader back, so reading never runs more than a
// few packets ahead of the pictures. Seeks, steps, stops and turns drop what is queued and wait
// only for the pictures being decoded.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "playback/DecodeQueue.h"

constexpr int32_t kMaxDecodeThreads = 64;

// The machine's cores, at least one; KVR_DECODE_THREADS (1 to 64) overrides it.
int32_t DecodeThreadCount();

class DecodePool {
public:
    DecodePool() = default;
    ~DecodePool();
    DecodePool(const DecodePool&) = delete;
    DecodePool& operator=(const DecodePool&) = delete;

    // Starts `threads` workers (0: DecodeThreadCount()), after stopping any there are. 0, or -1
    // when no worker could be started: then every packet is decoded on the thread that hands it.
    int32_t Start(int32_t threads = 0);
    // Drops what is queued, waits for the decodes under way and ends the workers.
    void Stop();
    int32_t Threads() const { return static_cast<int32_t>(workers.size()); }

    // Copies the packet into the queue, waiting while the queue is full. Without workers, for a queue
    // without buffers, or for a packet longer than a slot, the packet is decoded here and now.
    void Submit(DecodeQueue* queue, const uint8_t* packet, uint32_t length);
    // Drops every packet no worker has begun and waits for those being decoded; how many it dropped.
    int32_t DropQueued();
    // Waits until every packet handed over has been decoded.
    void WaitIdle();
    // Drops the queue's packets and waits for its decode under way: the pool then holds nothing of
    // it, and its owner may decode on its own thread or free the queue.
    void Forget(DecodeQueue* queue);

private:
    void WorkerLoop(size_t worker);
    void Unlist(DecodeQueue* queue);
    void List(DecodeQueue* queue);

    std::mutex lock;
    std::condition_variable workListed;   // a queue has work, or the workers are to end
    std::condition_variable workDone;     // a packet was decoded: room in its queue
    DecodeQueue* firstListed = nullptr;   // queues with packets no worker has begun, oldest first
    DecodeQueue* lastListed = nullptr;
    std::vector<DecodeQueue*> running;    // by worker: the queue it decodes, or null
    int32_t decodesUnderWay = 0;
    int32_t packetsQueued = 0;            // in every queue, those under way included
    bool stopping = false;
    std::vector<std::thread> workers;
};
