// Warning boxes and file dialogs: the filter conversion, the responder seam, and the real Qt
// dialogs on the offscreen platform, answered from a timer once they are up.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "ui/Dialogs.h"

namespace {

struct FilterCase {
    const char* filter;
    bool matchCaseInsensitive;
    const char* expected;
};

const FilterCase kFilterCases[] = {
    {"MyType Files (*.kvr)|*.KVR|", false, "MyType Files (*.kvr) (*.KVR)"},
    {"MyType Files (*.kvr)|*.KVR|", true, "MyType Files (*.kvr) (*.KVR *.kvr)"},
    {"JPEG Files (*.jpg)|*.jpg|", true, "JPEG Files (*.jpg) (*.jpg *.JPG)"},
    {"Bitmap Files (*.bmp)|*.bmp|", false, "Bitmap Files (*.bmp) (*.bmp)"},
    {"Mixed|*.Kvr|", true, "Mixed (*.Kvr *.kvr *.KVR)"},
    {"Pictures|*.jpg; *.bmp|All|*|", true, "Pictures (*.jpg *.JPG *.bmp *.BMP);;All (*)"},
    {"A|*.a|B|*.b||", false, "A (*.a);;B (*.b)"},
    {"", true, ""},
    {"Label only|", false, ""},
};

TEST(DialogFilterTest, FrameworkFiltersBecomeQtNameFilters)
{
    for (const FilterCase& c : kFilterCases) {
        EXPECT_EQ(ToQtNameFilter(c.filter, c.matchCaseInsensitive), c.expected)
            << c.filter << " case-insensitive " << c.matchCaseInsensitive;
    }
}

TEST(DialogFilterTest, DefaultExtensionOnlyForNamesWithoutOne)
{
    EXPECT_EQ(AppendDefaultExtension("/tmp/20100305_14h07m09s_", "jpg"), "/tmp/20100305_14h07m09s_.jpg");
    EXPECT_EQ(AppendDefaultExtension("/tmp/shot.bmp", "jpg"), "/tmp/shot.bmp");
    EXPECT_EQ(AppendDefaultExtension("/tmp/.hidden", "jpg"), "/tmp/.hidden.jpg");
    EXPECT_EQ(AppendDefaultExtension("/tmp/dir.d/name", "kvr"), "/tmp/dir.d/name.kvr");
    EXPECT_EQ(AppendDefaultExtension("/tmp/name", ""), "/tmp/name");
}

class RecordingResponder : public DialogResponder {
public:
    void OnWarning(const std::string& text) override { warnings.push_back(text); }
    bool OnFileDialog(const FileDialogRequest& request, std::string* path) override
    {
        requests.push_back(request);
        if (!answer) {
            return false;
        }
        *path = answerPath;
        return true;
    }

    std::vector<std::string> warnings;
    std::vector<FileDialogRequest> requests;
    bool answer = true;
    std::string answerPath = "/media/cam/recording.kvr";
};

class DialogSeamTest : public testing::Test {
protected:
    void SetUp() override { SetDialogResponder(&responder); }
    void TearDown() override { SetDialogResponder(nullptr); }

    RecordingResponder responder;
};

TEST_F(DialogSeamTest, ResponderReceivesWarnings)
{
    ShowWarningMessage(nullptr, "Invaild File");
    ShowWarningMessage(nullptr, "select camera");
    EXPECT_EQ(responder.warnings, (std::vector<std::string>{"Invaild File", "select camera"}));
}

TEST_F(DialogSeamTest, ResponderReceivesTheWholeRequestAndAnswers)
{
    const FileDialogRequest request{true, "JPEG Files (*.jpg)|*.jpg|", "jpg", "20100305_14h07m09s_", false, true, false};
    std::string path = "unchanged";
    EXPECT_TRUE(ShowFileDialog(nullptr, request, &path));
    EXPECT_EQ(path, responder.answerPath);
    ASSERT_EQ(responder.requests.size(), 1u);
    const FileDialogRequest& seen = responder.requests[0];
    EXPECT_TRUE(seen.save);
    EXPECT_EQ(seen.filter, request.filter);
    EXPECT_EQ(seen.defaultExtension, "jpg");
    EXPECT_EQ(seen.initialName, "20100305_14h07m09s_");
    EXPECT_FALSE(seen.mustExist);
    EXPECT_TRUE(seen.confirmOverwrite);
    EXPECT_FALSE(seen.matchCaseInsensitive);

    responder.answer = false;
    path = "unchanged";
    EXPECT_FALSE(ShowFileDialog(nullptr, request, &path));
    EXPECT_EQ(path, "unchanged");
}

// Runs `act` on the first modal dialog of type T once it is up.
template <typename T>
void WhenModalShows(std::function<void(T*)> act)
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, act]() {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start(10);
}

TEST(RealDialogTest, WarningIsAModalBoxWithOk)
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    WhenModalShows<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        box->button(QMessageBox::Ok)->click();
    });
    ShowWarningMessage(nullptr, "Fail to read media file");
    EXPECT_EQ(title, QString("KvrPlayer"));
    EXPECT_EQ(text, QString("Fail to read media file"));
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

// The save dialog as a snapshot asks for it: the typed name gets the default extension.
TEST(RealDialogTest, SaveDialogIsSetUpFromTheRequest)
{
    TempDir dir;
    const std::string typed = dir.File("20100305_14h07m09s_");
    const FileDialogRequest request{true, "JPEG Files (*.jpg)|*.jpg|", "jpg", typed, false, true, false};
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    QStringList filters;
    QString suffix;
    bool confirms = false;
    WhenModalShows<QFileDialog>([&](QFileDialog* dialog) {
        mode = dialog->acceptMode();
        filters = dialog->nameFilters();
        suffix = dialog->defaultSuffix();
        confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        QMetaObject::invokeMethod(dialog, "accept");   // the Save button's slot
    });
    std::string path;
    ASSERT_TRUE(ShowFileDialog(nullptr, request, &path));
    EXPECT_EQ(path, typed + ".jpg");
    EXPECT_EQ(mode, QFileDialog::AcceptSave);
    EXPECT_EQ(filters, QStringList{"JPEG Files (*.jpg) (*.jpg)"});
    EXPECT_EQ(suffix, QString("jpg"));
    EXPECT_TRUE(confirms);
}

// The open dialog as the OPEN button asks for it; cancelling gives no path.
TEST(RealDialogTest, OpenDialogWantsAnExistingFileAndCanBeCancelled)
{
    const FileDialogRequest request{false, "MyType Files (*.kvr)|*.KVR|", "kvr", "*.kvr", true, false, true};
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
    QStringList filters;
    WhenModalShows<QFileDialog>([&](QFileDialog* dialog) {
        fileMode = dialog->fileMode();
        filters = dialog->nameFilters();
        dialog->reject();
    });
    std::string path = "unchanged";
    EXPECT_FALSE(ShowFileDialog(nullptr, request, &path));
    EXPECT_EQ(path, "unchanged");
    EXPECT_EQ(fileMode, QFileDialog::ExistingFile);
    EXPECT_EQ(filters, QStringList{"MyType Files (*.kvr) (*.KVR *.kvr)"});
}

}  // namespace
