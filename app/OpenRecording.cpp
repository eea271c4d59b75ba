// Opening a recording: the playback thread stopped, both files opened and scanned (which makes the
// views and registers their handlers), the position slider ranged over the index and a new run
// of the playback thread started.
#include <QSignalBlocker>
#include <QSlider>

#include "app/CKvrPlayerDlg.h"
#include "playback/PlaybackEngine.h"
#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "recording/IndexPath.h"
#include "resources/ResourceIds.h"
#include "ui/Dialogs.h"

void CKvrPlayerDlg::StopPlaybackThread()
{
    PlaybackEngine* engine = m_pPlaybackEngine;
    if (engine == nullptr || engine->controlThread == nullptr) {
        return;
    }
    QelSmartControlThread* control = engine->controlThread;
    if (control->Status() != kThreadStopped) {
        control->EndThread();
        control->WaitThreadEnd();
    }
}

void CKvrPlayerDlg::OpenRecording(const std::string& path)
{
    if (path.empty()) {
        return;
    }
    const std::string mediaPath = path;
    m_strMediaPath = mediaPath;
    m_strIndexPath = IndexPathFor(mediaPath);
    StopPlaybackThread();
    StartPlayback();
}

int32_t CKvrPlayerDlg::StartPlayback()
{
    PlaybackEngine* engine = m_pPlaybackEngine;
    if (engine == nullptr || engine->smartHandler == nullptr || engine->controlThread == nullptr ||
        engine->smartHandler->mediaFileMng.Open(m_strMediaPath.c_str(), m_strIndexPath.c_str()) < 0) {
        ShowWarningMessage(this, LoadResourceString(kStringInvalidFile));
        return -1;
    }
    QelSmartHandler* handler = engine->smartHandler;
    {
        const QSignalBlocker blocker(m_sliderPosition);
        m_sliderPosition->setRange(0, handler->mediaFileMng.RecordCount());
        m_sliderPosition->setValue(0);
    }
    engine->controlThread->SetSmartHandler(handler);
    engine->controlThread->BeginThread();
    m_bOpened = 1;
    return 0;
}
