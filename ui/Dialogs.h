// Message boxes and open/save file dialogs, behind one seam: while a responder is installed no
// dialog is shown and the responder answers every request, so tests can drive the commands that
// ask the user.
#pragma once

#include <string>

class QWidget;

// A file dialog request in the form the commands were written against.
struct FileDialogRequest {
    bool save = false;
    // Entries of a label and a pattern, each ended by a vertical bar: "MyType Files (*.kvr)|*.KVR|".
    // A pattern may list several, separated by semicolons.
    std::string filter;
    std::string defaultExtension;      // without the dot; added when the chosen name has none
    std::string initialName;           // a name with wildcards is taken as a filter, not proposed
    bool mustExist = false;            // open: only an existing file is accepted
    bool confirmOverwrite = false;     // save: ask before replacing an existing file
    bool matchCaseInsensitive = false; // patterns also match names in other letter cases
};

// Title of the warning boxes: the application's name.
constexpr const char* kDialogTitle = "KvrPlayer";

// Modal warning box with an OK button and `text` as plain text. With a null parent the active
// window owns it.
void ShowWarningMessage(QWidget* parent, const std::string& text);

// Modal file dialog. True with the full path when the user confirms, false when cancelled.
// With a null parent the active window owns it.
bool ShowFileDialog(QWidget* parent, const FileDialogRequest& request, std::string* path);

class DialogResponder {
public:
    virtual ~DialogResponder() = default;
    virtual void OnWarning(const std::string& text) = 0;
    virtual bool OnFileDialog(const FileDialogRequest& request, std::string* path) = 0;
};

// Installs the responder that answers in place of the dialogs; null shows real dialogs again.
// Not owned. Used on the user-interface thread only.
void SetDialogResponder(DialogResponder* responder);

// The filter as Qt name filters separated by ";;": each entry becomes "label (patterns)", its
// patterns separated by blanks. With `matchCaseInsensitive` each pattern is followed by its lower-
// and upper-case forms where these differ, since file names on Linux are case-sensitive.
std::string ToQtNameFilter(const std::string& filter, bool matchCaseInsensitive);

// `path` with ".extension" added when its file name has no extension; unchanged otherwise.
std::string AppendDefaultExtension(const std::string& path, const std::string& extension);
