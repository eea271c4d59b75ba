// Damaged copies of the base recording: a table of damage kinds in families (header fields,
// options and coded payloads, cut files, index records, and mixtures of them), each applied with
// a seeded generator so that any copy can be made again from its family, number and seed.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/hardening/BaseRecording.h"

struct RecordingCopy {
    std::vector<uint8_t> media;
    std::vector<uint8_t> index;
    std::string damage;   // what was done, in words, for the report
};

enum class DamageFamily {
    HeaderFields,          // bit flips, overwritten headers, lengths at extremes, garbage kinds and channels
    OptionsAndPayloads,    // event records, option areas, coded pictures and audio
    CutFiles,              // media and index files cut short or grown
    IndexRecords,          // offsets past the end and from 2^31 on, kinds, channels, order
    Mixed,                 // two to four damages of any family
};

const char* FamilyName(DamageFamily family);

// A copy of `base` damaged by one kind of `family` (several for Mixed), chosen by `seed`.
RecordingCopy DamagedCopy(const BaseRecording& base, DamageFamily family, uint32_t seed);
