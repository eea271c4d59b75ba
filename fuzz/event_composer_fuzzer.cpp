// The event-text composer over event records from outside: every item bit, single and
// combined, into output buffers from 0 to 128 bytes, with the record held in a block of
// exactly its length. The texts must end inside their buffers.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "video/BuiltInLogComposer.h"
#include "video/EventRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const int32_t bufferSize = input.Byte() % 129;
    const std::vector<uint8_t> record = input.Rest();
    const uint8_t* recordBytes = record.empty() ? nullptr : record.data();
    const int32_t recordLength = static_cast<int32_t>(record.size());

    const EventRecordReader reader(recordBytes, recordLength);
    for (int32_t i = 0; i < reader.TextCount(); ++i) {
        const uint8_t* text = nullptr;
        int32_t textLength = 0;
        FUZZ_CHECK(reader.Text(i, &text, &textLength));
        FUZZ_CHECK(textLength >= 0 && text >= recordBytes && text + textLength <= recordBytes + recordLength);
    }

    BuiltInLogComposer composer;
    FUZZ_CHECK(composer.GetLayout() != nullptr);
    std::vector<char> buffer(static_cast<size_t>(bufferSize));
    char* out = buffer.empty() ? nullptr : buffer.data();
    for (uint32_t bit = 0; bit <= 32; ++bit) {
        const uint32_t itemBit = bit < 32 ? 1u << bit : kBuiltInItemMask;
        if (composer.ComposeText(recordBytes, recordLength, itemBit, out, bufferSize) == 1) {
            FUZZ_CHECK(bufferSize > 0 && memchr(out, '\0', buffer.size()) != nullptr);
        }
    }
    return 0;
}
