#include "app/AboutDlg.h"

#include <QLabel>
#include <QPushButton>

#include "app/AppIcon.h"
#include "app/DialogUnits.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("关于 Orvane"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    const DialogUnits dlu(font());

    auto* icon = new QLabel(this);
    icon->setPixmap(MakeAppIcon().pixmap(32, 32));
    icon->setGeometry(dlu.Rect(11, 17, 20, 20));

    auto* version = new QLabel(QStringLiteral("Orvane 1.0 版"), this);
    version->setGeometry(dlu.Rect(40, 10, 119, 8));

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setDefault(true);
    ok->setGeometry(dlu.Rect(178, 7, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    setFixedSize(dlu.Size(235, 55));
}
