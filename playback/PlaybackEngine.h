// The objects of playback, owned together: the control thread, the channel handler registry, the
// playback handler and the workers the views decode on.
#pragma once

#include "recording/ChannelHandler.h"

class DecodePool;
class MediaFileOwner;
class QelSmartControlThread;
class QelSmartHandler;
class QelSmartLcid2Callback;

struct PlaybackEngine {
    QelSmartControlThread* controlThread = nullptr;
    QelSmartLcid2Callback* lcid2Callback = nullptr;
    QelSmartHandler* smartHandler = nullptr;
    DecodePool* decodePool = nullptr;   // started with DecodeThreadCount() workers
};

// The engine's decode pool; null without an engine.
inline DecodePool* DecodePoolOf(PlaybackEngine* engine)
{
    return engine != nullptr ? engine->decodePool : nullptr;
}

// The engine's playback handler; null without an engine.
inline QelSmartHandler* HandlerOf(PlaybackEngine* engine)
{
    return engine != nullptr ? engine->smartHandler : nullptr;
}

// Each object at its initial values; one that cannot be allocated leaves its pointer null (without
// a pool, the views decode on the playback thread). Null only when the record itself cannot be
// allocated.
PlaybackEngine* CreatePlaybackEngine();

// Stops a worker that is not stopped, clears the registry, then destroys the control thread,
// the registry, the handler (which closes any open file), the pool and the record. Null is ignored.
void DestroyPlaybackEngine(PlaybackEngine* engine);

// What the owner of the engine fills in once: the recording's owner, the registry the handler
// looks channels up in, and the notification called when reading fails.
void ConnectPlaybackEngine(PlaybackEngine* engine, MediaFileOwner* owner, ChannelCallback endCallback,
                           void* endContext);
