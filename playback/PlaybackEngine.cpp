#include "playback/PlaybackEngine.h"

#include <new>

#include "playback/DecodePool.h"
#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "recording/QelSmartLcid2Callback.h"

PlaybackEngine* CreatePlaybackEngine()
{
    auto* engine = new (std::nothrow) PlaybackEngine;
    if (engine == nullptr) {
        return nullptr;
    }
    engine->controlThread = new (std::nothrow) QelSmartControlThread;
    engine->lcid2Callback = new (std::nothrow) QelSmartLcid2Callback;
    engine->smartHandler = new (std::nothrow) QelSmartHandler;
    engine->decodePool = new (std::nothrow) DecodePool;
    if (engine->decodePool != nullptr && engine->decodePool->Start() != 0) {
        delete engine->decodePool;
        engine->decodePool = nullptr;
    }
    if (engine->smartHandler != nullptr) {
        engine->smartHandler->decodePool = engine->decodePool;
    }
    return engine;
}

void DestroyPlaybackEngine(PlaybackEngine* engine)
{
    if (engine == nullptr) {
        return;
    }
    QelSmartControlThread* control = engine->controlThread;
    if (control != nullptr && control->Status() != kThreadStopped) {
        control->EndThread();
        control->WaitThreadEnd();
    }
    if (engine->lcid2Callback != nullptr) {
        engine->lcid2Callback->Clear();
    }
    delete control;
    delete engine->lcid2Callback;
    delete engine->smartHandler;
    delete engine->decodePool;   // its destructor drops what is queued and ends the workers
    delete engine;
}

void ConnectPlaybackEngine(PlaybackEngine* engine, MediaFileOwner* owner, ChannelCallback endCallback,
                           void* endContext)
{
    if (engine == nullptr || engine->smartHandler == nullptr) {
        return;
    }
    QelSmartHandler* handler = engine->smartHandler;
    handler->mediaFileMng.owner = owner;
    handler->lcid2Callback = engine->lcid2Callback;
    handler->endCallback = endCallback;
    handler->endContext = endContext;
}
