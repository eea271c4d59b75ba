// The codec class for an audio codec id.
#pragma once

#include <cstdint>
#include <memory>

#include "audio/Codec.h"

// A new codec for ids 1 (G.723), 2 (G.711) and 9 (IMA ADPCM); none for any other id.
std::unique_ptr<Codec> CreateCodec(int32_t codecId);
