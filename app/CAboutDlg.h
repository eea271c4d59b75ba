// The about box: the program's icon, name and version, and an OK button.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // Runs the box modally; the button's result.
    int DoModal();
};
