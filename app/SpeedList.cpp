#include "app/SpeedList.h"

namespace {

constexpr const char* kSpeedTexts[kSpeedListCount] = {"Slowest", "Slow", "Normal", "Fast", "Fastest"};

}  // namespace

const char* SpeedListText(int32_t position)
{
    return position >= 0 && position < kSpeedListCount ? kSpeedTexts[position] : nullptr;
}

int32_t SpeedIndexForSelection(int32_t position)
{
    return position >= 0 && position < kSpeedListCount ? position + 1 : 3;
}
