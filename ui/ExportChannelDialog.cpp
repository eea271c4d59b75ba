#include "ui/ExportChannelDialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <sys/stat.h>

#include "ui/Dialogs.h"

namespace {

constexpr int kTickMs = 50;
constexpr int kProgressScale = 1000;

QDateTime FromHundredths(int64_t hundredths)
{
    return QDateTime::fromMSecsSinceEpoch(hundredths * 10, Qt::UTC);
}

int64_t ToHundredths(const QDateTime& time)
{
    return time.toMSecsSinceEpoch() / 10;
}

QDateTimeEdit* TimeEdit(const QDateTime& time, QWidget* parent)
{
    auto* edit = new QDateTimeEdit(time, parent);
    edit->setTimeSpec(Qt::UTC);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz 'UTC'"));
    return edit;
}

const char* StageText(int32_t stage)
{
    switch (static_cast<ExportStage>(stage)) {
    case ExportStage::HashingRecording:
        return "Fingerprinting the recording";
    case ExportStage::Copying:
        return "Copying the channel";
    case ExportStage::HashingOutput:
        return "Fingerprinting the export";
    }
    return "";
}

}  // namespace

ExportChannelDialog::ExportChannelDialog(const std::string& mediaPath, int32_t channel, int64_t captionTime,
                                         QWidget* parent)
    : QDialog(parent), mediaPath(mediaPath), channel(channel)
{
    setWindowTitle(QStringLiteral("Export channel %1").arg(channel));
    const QDateTime start = captionTime >= 0 ? FromHundredths(captionTime) : QDateTime::currentDateTimeUtc();
    wholeChannel = new QRadioButton(QStringLiteral("The whole channel"), this);
    timeRange = new QRadioButton(QStringLiteral("From a time to a time"), this);
    wholeChannel->setChecked(true);
    fromTime = TimeEdit(start, this);
    toTime = TimeEdit(start, this);
    withAudio = new QCheckBox(QStringLiteral("With the channel's audio"), this);
    outputPath = new QLineEdit(this);
    outputPath->setPlaceholderText(QStringLiteral("FILE.mkv or FILE.mp4"));
    browse = new QPushButton(QStringLiteral("Browse…"), this);
    progress = new QProgressBar(this);
    progress->setRange(0, kProgressScale);
    status = new QLabel(this);
    status->setWordWrap(true);
    exportButton = new QPushButton(QStringLiteral("Export"), this);
    exportButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("Close"), this);
    setMinimumWidth(520);

    auto* form = new QFormLayout;
    form->addRow(wholeChannel);
    form->addRow(timeRange);
    form->addRow(QStringLiteral("From"), fromTime);
    form->addRow(QStringLiteral("To"), toTime);
    form->addRow(withAudio);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(outputPath, 1);
    fileRow->addWidget(browse);
    form->addRow(QStringLiteral("Save as"), fileRow);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(exportButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(progress);
    layout->addWidget(status);
    layout->addLayout(buttons);

    ticker = new QTimer(this);
    ticker->setInterval(kTickMs);
    connect(ticker, &QTimer::timeout, this, &ExportChannelDialog::OnTick);
    connect(browse, &QPushButton::clicked, this, &ExportChannelDialog::OnBrowse);
    connect(exportButton, &QPushButton::clicked, this, [this] { Start(); });
    connect(cancelButton, &QPushButton::clicked, this, &ExportChannelDialog::OnCancelButton);
    auto followRange = [this] {
        fromTime->setEnabled(timeRange->isChecked());
        toTime->setEnabled(timeRange->isChecked());
    };
    connect(timeRange, &QRadioButton::toggled, this, followRange);
    followRange();
}

ExportChannelDialog::~ExportChannelDialog()
{
    cancel = true;
    if (worker.joinable()) {
        worker.join();
    }
}

ExportRequest ExportChannelDialog::Request() const
{
    ExportRequest request;
    request.mediaPath = mediaPath;
    request.channel = channel;
    if (timeRange->isChecked()) {
        request.fromTime = ToHundredths(fromTime->dateTime());
        request.toTime = ToHundredths(toTime->dateTime());
    }
    request.audio = withAudio->isChecked();
    request.outPath = outputPath->text().toStdString();
    // A file the user chose to replace in the save dialog may be replaced; a typed name never.
    request.force = !confirmedPath.empty() && confirmedPath == request.outPath;
    request.toolName = "kvrplayer";
    request.toolVersion = KVR_VERSION;
    return request;
}

bool ExportChannelDialog::Start()
{
    if (Running()) {
        return false;
    }
    if (worker.joinable()) {
        worker.join();
    }
    const ExportRequest request = Request();
    if (request.outPath.empty()) {
        status->setText(QStringLiteral("Choose the file to export to."));
        return false;
    }
    cancel = false;
    finished = false;
    progressDone = 0;
    progressTotal = 0;
    SetRunning(true);
    status->setText(QStringLiteral("Exporting…"));
    worker = std::thread([this, request] {
        ExportResult result;
        const int32_t code = ExportChannel(
            request,
            [this](const ExportProgress& report) {
                progressStage = static_cast<int32_t>(report.stage);
                progressTotal = report.total;
                progressDone = report.done;
            },
            &cancel, &result);
        workerCode = code;
        workerResult = std::move(result);
        finished = true;
    });
    ticker->start();
    return true;
}

void ExportChannelDialog::Cancel()
{
    cancel = true;
}

void ExportChannelDialog::OnBrowse()
{
    FileDialogRequest request;
    request.save = true;
    request.filter = "Matroska Files (*.mkv)|*.mkv|MP4 Files (*.mp4)|*.mp4|";
    request.defaultExtension = "mkv";
    request.initialName = "channel" + std::to_string(channel) + ".mkv";
    request.confirmOverwrite = true;
    std::string path;
    if (ShowFileDialog(this, request, &path)) {
        confirmedPath = path;
        outputPath->setText(QString::fromStdString(path));
    }
}

void ExportChannelDialog::OnCancelButton()
{
    if (Running()) {
        Cancel();
    } else {
        reject();
    }
}

void ExportChannelDialog::reject()
{
    // Closing ends a running export first: nothing is left half-written.
    cancel = true;
    if (worker.joinable()) {
        worker.join();
        Finish();
    }
    QDialog::reject();
}

void ExportChannelDialog::OnTick()
{
    const int64_t total = progressTotal.load();
    const int64_t done = progressDone.load();
    progress->setValue(total > 0 ? static_cast<int>(done * kProgressScale / total) : 0);
    progress->setFormat(QStringLiteral("%1: %p%").arg(QString::fromLatin1(StageText(progressStage.load()))));
    if (finished.load()) {
        worker.join();
        Finish();
    }
}

void ExportChannelDialog::Finish()
{
    ticker->stop();
    lastCode = workerCode;
    lastResult = workerResult;
    SetRunning(false);
    if (lastCode == kExportOk) {
        progress->setValue(kProgressScale);
        progress->setFormat(QStringLiteral("Done"));
        status->setText(QStringLiteral("Exported %1 frames (records %2 to %3) to %4; the chain of custody is in %5.")
                            .arg(lastResult.videoFrames)
                            .arg(lastResult.firstRecord)
                            .arg(lastResult.lastRecord)
                            .arg(QString::fromStdString(lastResult.outPath))
                            .arg(QString::fromStdString(lastResult.sidecarPath)));
    } else if (lastCode == kExportCanceled) {
        progress->setValue(0);
        status->setText(QStringLiteral("Export cancelled: nothing was written."));
    } else {
        progress->setValue(0);
        status->setText(QStringLiteral("Export failed: %1").arg(QString::fromStdString(lastResult.message)));
    }
    emit finishedExport(lastCode);
}

void ExportChannelDialog::SetRunning(bool running)
{
    for (QWidget* control : std::initializer_list<QWidget*>{wholeChannel, timeRange, withAudio, outputPath, browse,
                                                            exportButton}) {
        control->setEnabled(!running);
    }
    cancelButton->setText(running ? QStringLiteral("Cancel") : QStringLiteral("Close"));
    fromTime->setEnabled(!running && timeRange->isChecked());
    toTime->setEnabled(!running && timeRange->isChecked());
}
