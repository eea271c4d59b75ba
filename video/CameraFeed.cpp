#include "video/CameraFeed.h"

#include <algorithm>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

#include "Tav/TavPacketUtil.h"
#include "video/ComposerLayout.h"
#include "video/EventRecord.h"
#include "video/FrameAdjustments.h"
#include "video/FrameDecoder.h"
#include "video/LogComposer.h"
#include "video/PicturePlacement.h"

namespace {

// Item bits are 32; a layout claiming more items composes the first 32.
constexpr int32_t kMaxComposerItems = 32;
// Room for every item's text and its space, so composing never allocates.
constexpr size_t kOverlayTextReserve = kMaxComposerItems * kComposerTextCapacity;

// Zeroes the first `bytes` of the buffer. Whole pages go back to the system (they read as zero
// again), so a cleared view costs no memory for what it once showed.
void ClearDrawnPixels(uint8_t* pixels, size_t bytes)
{
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t start = reinterpret_cast<uintptr_t>(pixels);
    const uintptr_t end = start + bytes;
    const uintptr_t firstPage = (start + page - 1) / page * page;
    const uintptr_t lastPage = end / page * page;
    if (firstPage >= lastPage || madvise(reinterpret_cast<void*>(firstPage), lastPage - firstPage, MADV_DONTNEED) != 0) {
        memset(pixels, 0, bytes);
        return;
    }
    memset(pixels, 0, firstPage - start);
    memset(reinterpret_cast<void*>(lastPage), 0, end - lastPage);
}

int32_t ReadLittleEndian32(const uint8_t* bytes)
{
    return static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                                static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
}

}  // namespace

CameraFeed::CameraFeed()
{
    overlayText.reserve(kOverlayTextReserve);
}

CameraFeed::~CameraFeed()
{
    Destroy();
}

int32_t CameraFeed::Create(bool clearPixels)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (decoder == nullptr) {
        decoder = CreateFrameDecoder();
    }
    if (decoder == nullptr || !AllocateFramePixels(&frame)) {
        return -1;
    }
    // Without it the view scales the frame as it paints.
    if (shown.pixels == nullptr) {
        AllocateFramePixels(&shown);
    }
    shownReady = false;
    drawnBytes = 0;
    frameIsDecoderPicture = false;
    stepDecoderRecord = -1;
    if (clearPixels) {
        memset(frame.pixels, 0, kFramePixelCapacity);
    }
    hasFrame = 0;
    return 0;
}

void CameraFeed::Destroy()
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    DestroyFrameDecoder(decoder);
    decoder = nullptr;
    FreeFramePixels(&frame);
    FreeFramePixels(&shown);
    FreePictureScaler(&shownScaler);
    shownReady = false;
    drawnBytes = 0;
    hasFrame = 0;
    DropHeldPictures();
}

bool CameraFeed::PassesSequenceCheck(const uint8_t* packet)
{
    if (TavIsJpeg(packet)) {
        return true;
    }
    // After a gap nothing is shown until the next key frame (sequence 0).
    const int32_t sequence = TavGetSequence(packet);
    if (sequence != 0 && (lastSequence == -1 || sequence != lastSequence + 1)) {
        lastSequence = -1;
        return false;
    }
    lastSequence = sequence;
    return true;
}

int32_t CameraFeed::TakeVideo(const uint8_t* packet, uint32_t length, const FeedSettings& settings,
                              bool* captionChanged)
{
    *captionChanged = false;
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (!Ready()) {
        return kFeedNoFrameBuffer;
    }
    if (!PassesSequenceCheck(packet)) {
        return kFeedPacketDropped;
    }
    stepDecoderRecord = -1;   // normal play moves the decoder on
    const int32_t result = Decode(packet, length, true);
    NoteDrawnBytes();
    FinishPicture(packet, result, settings, captionChanged);
    return result;
}

void CameraFeed::ComposeOverlayText(const uint8_t* packet, const FeedSettings& settings)
{
    if (settings.composer == nullptr || settings.composerLayout == nullptr) {
        return;
    }
    PacketOptions options;
    if (!TavParseOptions(packet, &options) || options.option8 == nullptr) {
        return;
    }
    // Only what lies inside the option is read, whatever the record claims.
    const uint8_t* option = options.option8;
    if (options.option8Length < kEventHeadSize) {
        return;
    }
    if ((option[kEventFlagsOffset] & kEventFlagsShown) != kEventFlagsShown ||
        (settings.overlaySourceMask & (1u << (option[kEventSourceOffset] % 32))) == 0) {
        return;
    }
    // An event time that is no date (negative, or past January 2038) leaves the text as it was.
    if (ReadLittleEndian32(option + kEventTimeOffset) < 0) {
        return;
    }
    const int32_t itemCount = std::clamp(settings.composerLayout->ItemCount(), 0, kMaxComposerItems);
    const uint32_t itemMask = settings.composerLayout->ItemMask();
    overlayText.clear();
    for (int32_t i = 0; i < itemCount; ++i) {
        const uint32_t itemBit = 1u << i;
        if ((itemMask & itemBit) == 0) {
            continue;
        }
        char text[kComposerTextCapacity] = {};
        settings.composer->ComposeText(option + kEventHeadSize, options.option8Length - kEventHeadSize, itemBit,
                                       text, kComposerTextCapacity);
        text[kComposerTextCapacity - 1] = '\0';
        overlayText += text;
        overlayText += ' ';
    }
}

void CameraFeed::NoteDrawnBytes()
{
    if (FrameSizeFits(frame.width, frame.height)) {
        drawnBytes = std::max(drawnBytes, static_cast<size_t>(frame.width) * frame.height * 3);
    }
}

void CameraFeed::Reset()
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    hasFrame = 0;
    if (frame.pixels != nullptr) {
        ClearDrawnPixels(frame.pixels, drawnBytes);
    }
    drawnBytes = 0;
    shownReady = false;
    frameIsDecoderPicture = false;
    caption[0] = '\0';
    overlayText.clear();
    DropHeldPictures();
}

void CameraFeed::ClearOverlay()
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    overlayText.clear();
}

std::string CameraFeed::Caption()
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    return caption;
}

std::string CameraFeed::OverlayText()
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    return overlayText;
}

int32_t CameraFeed::Decode(const uint8_t* packet, uint32_t length, bool convert)
{
    const uint64_t convertedBefore = StreamPicturesConverted(decoder);
    const uint64_t decodedBefore = StreamPicturesDecoded(decoder);
    const int32_t result = DecodeVideoPacket(packet, length, decoder, &frame, convert);
    if (StreamPicturesConverted(decoder) != convertedBefore) {
        frameIsDecoderPicture = result == kDecodeOk;
    } else if (result != kDecodeOk || TavIsJpeg(packet) || StreamPicturesDecoded(decoder) != decodedBefore) {
        // JPEG wrote the frame, a failure may have, or the decoder moved on without it.
        frameIsDecoderPicture = false;
    }
    return result;
}

bool CameraFeed::StepShowHeld(int32_t record, const uint8_t* packet, uint32_t, const FeedSettings& settings,
                              bool* captionChanged)
{
    *captionChanged = false;
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (!Ready() || !heldPictures.Take(record, &frame)) {
        return false;
    }
    frameIsDecoderPicture = false;
    NoteDrawnBytes();
    // The decoder stands elsewhere: normal play that follows waits for a key frame rather than
    // decode on top of the wrong picture.
    lastSequence = stepDecoderRecord == record && !TavIsJpeg(packet) ? TavGetSequence(packet) : -1;
    FinishPicture(packet, kDecodeOk, settings, captionChanged);
    return true;
}

int32_t CameraFeed::StepDecode(int32_t keyRecord, int32_t record, int32_t targetRecord, const uint8_t* packet,
                               uint32_t length, const FeedSettings& settings, bool* captionChanged, bool keep)
{
    *captionChanged = false;
    std::lock_guard<std::recursive_mutex> guard(lock);
    if (!Ready()) {
        return kFeedNoFrameBuffer;
    }
    // Pictures on the way to the target stay in the decoder's planes: only the target is converted.
    const uint64_t decodedBefore = StreamPicturesDecoded(decoder);
    const int32_t result = Decode(packet, length, record == targetRecord);
    NoteDrawnBytes();
    stepDecoderRecord = result >= 0 ? record : -1;
    stepDecoderKey = keyRecord;
    if (result >= 0 && keep && StreamPicturesDecoded(decoder) != decodedBefore) {
        heldPictures.Put(keyRecord, record, targetRecord, DecodedPlanes(decoder),
                         TavIsH264(packet) ? kVideoCodecH264 : kVideoCodecMpeg4);
    }
    if (record == targetRecord) {
        lastSequence = result >= 0 && !TavIsJpeg(packet) ? TavGetSequence(packet) : -1;
        FinishPicture(packet, result, settings, captionChanged);
    }
    return result;
}

// What follows every decode, whatever it gave: the overlay (after a good one), the adjustments of
// special sizes, and the caption, written under the lock too so painting never reads half of it.
void CameraFeed::FinishPicture(const uint8_t* packet, int32_t decodeResult, const FeedSettings& settings,
                               bool* captionChanged)
{
    if (decodeResult >= 0) {
        ComposeOverlayText(packet, settings);
    }
    const uint32_t decodedWidth = frame.width;
    const uint32_t decodedHeight = frame.height;
    const uint16_t optionMask = TavGetOptionMask(packet);
    AdjustFrameForView(&frame, optionMask, settings.naturalSize, settings.areaWidth, settings.areaHeight);
    NoteDrawnBytes();
    constexpr uint16_t kFieldStacked = 0x8000;
    ConvertShownPicture(settings, (optionMask & kFieldStacked) != 0 || frame.width != decodedWidth ||
                                      frame.height != decodedHeight);
    *captionChanged = FormatPacketCaption(packet, caption, sizeof caption);
    hasFrame = 1;
}

void CameraFeed::ConvertShownPicture(const FeedSettings& settings, bool adjusted)
{
    shownReady = false;
    if (shown.pixels == nullptr || settings.areaWidth == 0 || settings.areaHeight == 0 ||
        !FrameSizeFits(frame.width, frame.height)) {
        return;
    }
    const PicturePlace place =
        PlacePicture(static_cast<int32_t>(std::min<uint32_t>(settings.areaWidth, INT32_MAX)),
                     static_cast<int32_t>(std::min<uint32_t>(settings.areaHeight, INT32_MAX)), 0,
                     static_cast<int32_t>(frame.width), static_cast<int32_t>(frame.height), settings.naturalSize);
    if (place.width <= 0 || place.height <= 0) {
        return;
    }
    const auto width = static_cast<uint32_t>(place.width);
    const auto height = static_cast<uint32_t>(place.height);
    if (frameIsDecoderPicture && !adjusted && ConvertDecodedPicture(decoder, width, height, &shown) == 0) {
        shownReady = true;
        return;
    }
    const bool bottomUp = frame.codec != kVideoCodecMpeg4 && frame.codec != kVideoCodecH264;
    shownReady = ScalePicture(&shownScaler, frame, bottomUp, width, height, &shown) == 0;
}

int32_t CameraFeed::StepDecoderRecord(int32_t keyRecord)
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    return stepDecoderKey == keyRecord ? stepDecoderRecord : -1;
}

void CameraFeed::DropHeldPictures()
{
    std::lock_guard<std::recursive_mutex> guard(lock);
    heldPictures.Release();
}
