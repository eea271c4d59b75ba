#include "ui/Dialogs.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

DialogResponder* installedResponder = nullptr;

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string WithCase(std::string text, bool upper)
{
    for (char& c : text) {
        const int byte = static_cast<unsigned char>(c);
        c = static_cast<char>(upper ? std::toupper(byte) : std::tolower(byte));
    }
    return text;
}

void AddPattern(std::vector<std::string>* patterns, const std::string& pattern)
{
    if (!pattern.empty() && std::find(patterns->begin(), patterns->end(), pattern) == patterns->end()) {
        patterns->push_back(pattern);
    }
}

// The platform's own dialogs need a desktop; on the test platforms Qt's widget dialog is used.
bool NativeDialogsUsable()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

QWidget* Owner(QWidget* parent)
{
    return parent != nullptr ? parent : QApplication::activeWindow();
}

}  // namespace

std::string ToQtNameFilter(const std::string& filter, bool matchCaseInsensitive)
{
    const std::vector<std::string> fields = Split(filter, '|');
    std::string result;
    // Label and pattern alternate; an empty label (the closing "||") ends the list.
    for (size_t i = 0; i + 1 < fields.size() && !fields[i].empty(); i += 2) {
        std::vector<std::string> patterns;
        for (const std::string& part : Split(fields[i + 1], ';')) {
            const std::string pattern = Trim(part);
            AddPattern(&patterns, pattern);
            if (matchCaseInsensitive) {
                AddPattern(&patterns, WithCase(pattern, false));
                AddPattern(&patterns, WithCase(pattern, true));
            }
        }
        if (patterns.empty()) {
            continue;
        }
        std::string entry = fields[i] + " (";
        for (size_t k = 0; k < patterns.size(); ++k) {
            entry += (k == 0 ? "" : " ") + patterns[k];
        }
        entry += ")";
        result += (result.empty() ? "" : ";;") + entry;
    }
    return result;
}

std::string AppendDefaultExtension(const std::string& path, const std::string& extension)
{
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    // A leading dot marks a hidden file, not an extension.
    if (extension.empty() || name.empty() || name.find('.', 1) != std::string::npos) {
        return path;
    }
    return path + "." + extension;
}

void SetDialogResponder(DialogResponder* responder)
{
    installedResponder = responder;
}

void ShowWarningMessage(QWidget* parent, const std::string& text)
{
    if (installedResponder != nullptr) {
        installedResponder->OnWarning(text);
        return;
    }
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kDialogTitle), QString::fromStdString(text),
                    QMessageBox::Ok, Owner(parent));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool ShowFileDialog(QWidget* parent, const FileDialogRequest& request, std::string* path)
{
    if (path == nullptr) {
        return false;
    }
    if (installedResponder != nullptr) {
        return installedResponder->OnFileDialog(request, path);
    }
    QFileDialog dialog(Owner(parent));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(!request.save && request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog, !NativeDialogsUsable());
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    const std::string nameFilter = ToQtNameFilter(request.filter, request.matchCaseInsensitive);
    if (!nameFilter.empty()) {
        dialog.setNameFilter(QString::fromStdString(nameFilter));
    }
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    // A wildcard name such as "*.kvr" only repeats the filter; proposing it would put it in the
    // name field as if it were a file.
    if (!request.initialName.empty() && request.initialName.find_first_of("*?") == std::string::npos) {
        dialog.selectFile(QString::fromStdString(request.initialName));
    }
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) {
        return false;
    }
    std::string result = QFile::encodeName(chosen.first()).toStdString();
    // The platform's own dialog may ignore the default suffix; add it the way the widget dialog does.
    if (request.save) {
        result = AppendDefaultExtension(result, request.defaultExtension);
    }
    *path = result;
    return true;
}
