// What exact steps and synchronised seeks need of the view that shows a channel, and of whoever
// holds the views. Called on the playback thread only.
#pragma once

#include <cstdint>

class StepView {
public:
    virtual ~StepView() = default;

    // Brackets one step: the view keeps painting away from the pictures decoded on the way.
    virtual void BeginStep() = 0;
    virtual void EndStep() = 0;
    // Shows the held picture of `record`, with the caption and event text of its packet; false when
    // the view does not hold it.
    virtual bool ShowHeld(int32_t record, const uint8_t* packet, uint32_t length) = 0;
    // Decodes the packet of `record`, a picture of the group whose key frame is `keyRecord`, on the
    // way to `targetRecord`, and keeps its picture (with `keep`: steps keep them, a seek over every
    // view does not, as only one view's pictures would stay); the target's picture is shown. The
    // decode's result.
    virtual int32_t DecodeStep(int32_t keyRecord, int32_t record, int32_t targetRecord, const uint8_t* packet,
                               uint32_t length, bool keep) = 0;
    // The record the view's decoder stands at after the steps of the group of `keyRecord`; -1 when it
    // stands elsewhere (another group, or a packet of normal play came since).
    virtual int32_t StepDecoderRecord(int32_t keyRecord) = 0;
    // Gives back the memory of the held pictures.
    virtual void DropHeld() = 0;
    // Draws the picture dimmed (a seek's instant lies well after it) or plainly again; the next
    // picture of normal play is drawn plainly.
    virtual void ShowDimmed(bool dimmed) = 0;
};

class StepViews {
public:
    virtual ~StepViews() = default;
    // The view that shows the channel at `index` of the recording's sorted channel list; null
    // when there is none.
    virtual StepView* StepViewAt(int32_t index) = 0;
    // A seek stands at `record`: the position shown moves there, whether any picture changed or not.
    virtual void ShowPosition(int32_t record) = 0;
};
