// "Export channel…": asks for the range of one view's channel (the whole channel, or between two
// wall-clock times) and the output file, then copies it out on a worker thread with a progress
// bar and a cancel button. Playback goes on meanwhile: the export reads the recording through
// its own file handles.
#pragma once

#include <QDialog>
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "export/ChannelExport.h"

class QCheckBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimer;

class ExportChannelDialog : public QDialog {
    Q_OBJECT

public:
    // `captionTime`: the view's current time in UTC hundredths since 1970, or -1; it prefills
    // both ends of the range.
    ExportChannelDialog(const std::string& mediaPath, int32_t channel, int64_t captionTime, QWidget* parent = nullptr);
    ~ExportChannelDialog() override;

    // The request the controls describe now.
    ExportRequest Request() const;
    // Starts the export on its worker thread; false when one is running or the request is
    // incomplete (then `status` says why).
    bool Start();
    // Raises the cancel flag of a running export.
    void Cancel();
    bool Running() const { return worker.joinable() && !finished.load(); }
    // The result of the last export that ended, and its code.
    int32_t LastCode() const { return lastCode; }
    const ExportResult& LastResult() const { return lastResult; }

    QRadioButton* wholeChannel = nullptr;
    QRadioButton* timeRange = nullptr;
    QDateTimeEdit* fromTime = nullptr;
    QDateTimeEdit* toTime = nullptr;
    QCheckBox* withAudio = nullptr;
    QLineEdit* outputPath = nullptr;
    QPushButton* browse = nullptr;
    QPushButton* exportButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QProgressBar* progress = nullptr;
    QLabel* status = nullptr;

signals:
    void finishedExport(int code);

protected:
    void reject() override;

private:
    void OnBrowse();
    void OnCancelButton();
    void OnTick();
    void Finish();
    void SetRunning(bool running);

    std::string mediaPath;
    int32_t channel;
    std::string confirmedPath;   // the last path the save dialog gave
    std::thread worker;
    std::atomic<bool> cancel{false};
    std::atomic<bool> finished{false};
    std::atomic<int64_t> progressDone{0};
    std::atomic<int64_t> progressTotal{0};
    std::atomic<int32_t> progressStage{0};
    int32_t workerCode = 0;          // written by the worker before `finished`
    ExportResult workerResult;
    int32_t lastCode = 0;
    ExportResult lastResult;
    QTimer* ticker = nullptr;
};
