// The recording every damaged copy starts from: made once per test process with kvrtool synth
// (four video channels in JPEG, MPEG-4 and H.264 with event records in option 8, audio in G.711,
// G.723 and IMA ADPCM on several tracks), read back into memory and described packet by packet,
// so a damage can aim at a header field, an option or a coded payload.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct BasePacket {
    uint32_t offset = 0;          // in the media file
    uint32_t totalLength = 0;
    uint32_t headerLength = 0;    // the header's field: bytes from offset 4 to the payload
    uint8_t type = 0;
    uint32_t payloadOffset = 0;   // in the media file
    int32_t option8 = -1;         // offset of option 8's kind byte in the media file, or -1
    int32_t option8Length = 0;
};

struct BaseRecording {
    std::vector<uint8_t> media;
    std::vector<uint8_t> index;
    std::vector<BasePacket> packets;   // in file order, one per index record

    bool IsVideo(const BasePacket& packet) const;
    bool IsAudio(const BasePacket& packet) const;
};

// The base recording of this process, made on first use; null (with the reason in `error`)
// when kvrtool could not make it or it is not laid out as expected.
const BaseRecording* SharedBaseRecording(std::string* error);
