#include "audio/OutputBinding.h"

#include <algorithm>
#include <cstdio>

double OutputBinding::Gain() const
{
    if (gainTable == nullptr || gainIndex == nullptr) {
        return 1.0;
    }
    return gainTable[std::clamp(*gainIndex, 0, kGainTableSize - 1)];
}

bool OutputBinding::DropWhenFull() const
{
    if (Pending() < kDropPendingCount) {
        return false;
    }
    fputs("\n\n\t\tDrop audio packet!!!!!!!!!!!\n\n\n", stdout);
    fputs("\n", stdout);
    fflush(stdout);
    return true;
}
