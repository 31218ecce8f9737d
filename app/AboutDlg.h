#pragma once

#include <QDialog>

// The About box: icon, program name and version, one OK button.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
