// The speed list of the main dialog: its five texts, top to bottom, and the playback handler's
// speed index each position stands for.
#pragma once

#include <cstdint>

constexpr int32_t kSpeedListCount = 5;
constexpr int32_t kSpeedListNormal = 2;   // the position selected at start-up

// The text at `position`, 0 to 4; null elsewhere.
const char* SpeedListText(int32_t position);
// 1 to 5 for positions 0 to 4; 3 (normal) for no selection or any other position.
int32_t SpeedIndexForSelection(int32_t position);
