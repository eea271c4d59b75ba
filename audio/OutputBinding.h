// What a codec reads of the output that owns it: the gain table, the gain index and the
// number of buffers the device still holds. An unbound codec sees no backlog and unit gain.
#pragma once

#include <atomic>
#include <cstdint>

#include "audio/Codec.h"

// Pending counts at which the reader is slowed down, and at which G.723 and IMA packets are
// dropped instead of queued.
constexpr int32_t kBacklogPendingCount = 2;
constexpr int32_t kDropPendingCount = 3;

struct OutputBinding {
    const double* gainTable = nullptr;
    const int32_t* gainIndex = nullptr;
    const std::atomic<int32_t>* pendingCount = nullptr;

    int32_t Pending() const { return pendingCount != nullptr ? pendingCount->load() : 0; }
    bool Backlogged() const { return Pending() >= kBacklogPendingCount; }
    // The gain at the bound index; an index outside the table takes its nearest entry.
    double Gain() const;
    // The drop rule: with the queue full, reports the drop on standard output and says so.
    bool DropWhenFull() const;
};
