#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "playback/DecodePool.h"

namespace {

using namespace std::chrono_literals;

// Records the first byte of every packet it decodes, and can hold a decode until it is let go.
class RecordingQueue : public DecodeQueue {
public:
    void DecodeQueued(const uint8_t* packet, uint32_t) override
    {
        std::unique_lock<std::mutex> guard(mutex);
        ++started;
        changed.notify_all();
        changed.wait(guard, [this] { return !held; });
        decoded.push_back(packet[0]);
        threads.push_back(std::this_thread::get_id());
    }
    void Hold()
    {
        std::lock_guard<std::mutex> guard(mutex);
        held = true;
    }
    void Release()
    {
        std::lock_guard<std::mutex> guard(mutex);
        held = false;
        changed.notify_all();
    }
    bool WaitStarted(int32_t count)
    {
        std::unique_lock<std::mutex> guard(mutex);
        return changed.wait_for(guard, 5s, [&] { return started >= count; });
    }
    std::vector<uint8_t> Decoded()
    {
        std::lock_guard<std::mutex> guard(mutex);
        return decoded;
    }

    std::mutex mutex;
    std::condition_variable changed;
    bool held = false;
    int32_t started = 0;
    std::vector<uint8_t> decoded;
    std::vector<std::thread::id> threads;
};

void SubmitMarker(DecodePool& pool, DecodeQueue& queue, uint8_t marker)
{
    const uint8_t packet[4] = {marker, 1, 2, 3};
    pool.Submit(&queue, packet, sizeof packet);
}

}  // namespace

TEST(DecodePoolTest, EachViewDecodesInOrderWhileViewsDecodeAtOnce)
{
    DecodePool pool;
    ASSERT_EQ(pool.Start(2), 0);
    RecordingQueue first;
    RecordingQueue second;
    ASSERT_EQ(first.AllocateQueue(), 0);
    ASSERT_EQ(second.AllocateQueue(), 0);
    // The first view's decode is held: the second view still decodes on the other worker.
    first.Hold();
    SubmitMarker(pool, first, 0);
    ASSERT_TRUE(first.WaitStarted(1));
    for (uint8_t marker = 0; marker < 20; ++marker) {
        SubmitMarker(pool, second, marker);
    }
    ASSERT_TRUE(second.WaitStarted(20));
    first.Release();
    for (uint8_t marker = 1; marker < 20; ++marker) {
        SubmitMarker(pool, first, marker);
    }
    pool.WaitIdle();
    std::vector<uint8_t> expected;
    for (uint8_t marker = 0; marker < 20; ++marker) {
        expected.push_back(marker);
    }
    EXPECT_EQ(first.Decoded(), expected);
    EXPECT_EQ(second.Decoded(), expected);
}

TEST(DecodePoolTest, AFullQueueHoldsTheReaderBackAndADropWaitsOnlyForTheDecodeUnderWay)
{
    DecodePool pool;
    ASSERT_EQ(pool.Start(1), 0);
    RecordingQueue queue;
    ASSERT_EQ(queue.AllocateQueue(), 0);
    queue.Hold();
    for (uint8_t marker = 0; marker < kDecodeQueueDepth; ++marker) {
        SubmitMarker(pool, queue, marker);
    }
    ASSERT_TRUE(queue.WaitStarted(1));
    std::atomic<bool> submitted{false};
    std::thread reader([&] {
        SubmitMarker(pool, queue, 100);
        submitted = true;
    });
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(submitted.load()) << "the reader ran ahead of a full queue";

    // The drop makes room for the reader at once, and waits for nothing but the decode under way.
    std::thread release([&] {
        std::this_thread::sleep_for(50ms);
        queue.Release();
    });
    pool.DropQueued();
    reader.join();
    release.join();
    pool.WaitIdle();
    EXPECT_EQ(queue.Decoded(), (std::vector<uint8_t>{0, 100})) << "packets queued before the drop were decoded";
    // The queue takes packets again afterwards.
    SubmitMarker(pool, queue, 7);
    pool.WaitIdle();
    EXPECT_EQ(queue.Decoded().back(), 7);
}

TEST(DecodePoolTest, ForgetLeavesNothingOfTheViewInThePool)
{
    DecodePool pool;
    ASSERT_EQ(pool.Start(1), 0);
    RecordingQueue other;
    ASSERT_EQ(other.AllocateQueue(), 0);
    auto queue = std::make_unique<RecordingQueue>();
    ASSERT_EQ(queue->AllocateQueue(), 0);
    other.Hold();
    SubmitMarker(pool, other, 0);
    ASSERT_TRUE(other.WaitStarted(1));
    SubmitMarker(pool, *queue, 1);
    SubmitMarker(pool, *queue, 2);
    pool.Forget(queue.get());
    queue.reset();   // freed while the pool still has work for another view
    other.Release();
    SubmitMarker(pool, other, 3);
    pool.WaitIdle();
    EXPECT_EQ(other.Decoded(), (std::vector<uint8_t>{0, 3}));
}

TEST(DecodePoolTest, WithoutWorkersOrQueueBuffersTheCallerDecodes)
{
    RecordingQueue unbuffered;
    DecodePool stopped;
    RecordingQueue buffered;
    ASSERT_EQ(buffered.AllocateQueue(), 0);
    SubmitMarker(stopped, buffered, 1);
    DecodePool running;
    ASSERT_EQ(running.Start(2), 0);
    SubmitMarker(running, unbuffered, 2);
    ASSERT_EQ(buffered.threads.size(), 1u);
    ASSERT_EQ(unbuffered.threads.size(), 1u);
    EXPECT_EQ(buffered.threads[0], std::this_thread::get_id());
    EXPECT_EQ(unbuffered.threads[0], std::this_thread::get_id());
}

TEST(DecodePoolTest, TheWorkerCountFollowsTheEnvironmentWithinItsRange)
{
    const int32_t cores = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
    const struct {
        const char* value;
        int32_t expected;
    } cases[] = {{"1", 1}, {"4", 4}, {"64", 64}, {"0", cores}, {"65", cores}, {"two", cores}, {"3x", cores}, {"", cores}};
    for (const auto& c : cases) {
        setenv("KVR_DECODE_THREADS", c.value, 1);
        EXPECT_EQ(DecodeThreadCount(), c.expected) << "KVR_DECODE_THREADS=" << c.value;
    }
    unsetenv("KVR_DECODE_THREADS");
    EXPECT_EQ(DecodeThreadCount(), std::min(cores, kMaxDecodeThreads));
}
