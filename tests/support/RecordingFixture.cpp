#include "tests/support/RecordingFixture.h"

#include "Tav/TavPacketUtil.h"

uint8_t MarkerOf(const uint8_t* buffer)
{
    return TavGetPayload(buffer)[0];
}

bool WriteMarkedRecording(const RecordingFiles& files, const std::vector<uint8_t>& kinds)
{
    RecordingWriter writer;
    if (writer.Create(files.media, files.index) != 0) {
        return false;
    }
    for (size_t i = 0; i < kinds.size(); ++i) {
        const bool audio = (kinds[i] & 0x0F) == 2;
        if (writer.WritePacket(MarkedPacket(static_cast<uint8_t>(i + 1), 0, 1, audio ? 0x92 : 0x44), kinds[i]) < 0) {
            return false;
        }
    }
    return writer.Close() == 0;
}
