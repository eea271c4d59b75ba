#include "ui/GridAudio.h"

namespace {

void CloseAndDelete(AudioOut*& output)
{
    if (output != nullptr) {
        output->Close();
        delete output;
        output = nullptr;
    }
}

}  // namespace

GridAudio::GridAudio(QObject* grid)
    : grid(grid),
      window(new MessageWindow(
          [this](uint32_t code, uintptr_t wParam, intptr_t) -> intptr_t {
              if (code == WM_AUDIO_OPEN) {
                  return OnAudioOpen(wParam);
              }
              if (code == WM_AUDIO_CLOSE) {
                  return OnAudioClose();
              }
              return 0;
          },
          grid))
{
}

GridAudio::~GridAudio()
{
    OnAudioClose();
    delete window.data();
}

intptr_t GridAudio::OnAudioOpen(uintptr_t codecId)
{
    std::lock_guard<std::mutex> lock(outputsLock);
    // Either output alone is replaced too, so none is ever left behind.
    CloseAndDelete(primaryAudio);
    CloseAndDelete(secondaryAudio);
    const int32_t id = codecId <= INT32_MAX ? static_cast<int32_t>(codecId) : -1;
    primaryAudio = new AudioOut;
    primaryAudio->Open(grid, id, 0);
    secondaryAudio = new AudioOut;
    secondaryAudio->Open(grid, id, 1);
    return 0;
}

intptr_t GridAudio::OnAudioClose()
{
    std::lock_guard<std::mutex> lock(outputsLock);
    CloseAndDelete(primaryAudio);
    CloseAndDelete(secondaryAudio);
    return 0;
}

bool GridAudio::IsBacklogged()
{
    std::lock_guard<std::mutex> lock(outputsLock);
    return (primaryAudio != nullptr && primaryAudio->IsBacklogged()) ||
           (secondaryAudio != nullptr && secondaryAudio->IsBacklogged());
}

int32_t GridAudio::WriteTrack(int32_t track, const uint8_t* payload, uint32_t length)
{
    std::lock_guard<std::mutex> lock(outputsLock);
    AudioOut* target = track == 0 ? primaryAudio : secondaryAudio;
    const int32_t muted = track == 0 ? primaryMuted.load() : secondaryMuted.load();
    if (target == nullptr || !target->HasWindow() || muted) {
        return 0;
    }
    return target->Write(payload, length);
}
