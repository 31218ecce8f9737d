#include "console/HoldButton.h"

#include <QMouseEvent>

#include "console/HoldCommand.h"

CHoldButton::CHoldButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAutoDefault(false);
}

void CHoldButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        HoldPress(m_nCode);
    }
    QPushButton::mousePressEvent(event);
}

// The toolkit delivers the release to the widget that took the press, wherever
// the pointer is by then, so the stop always follows its start.
void CHoldButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        HoldRelease();
    }
    QPushButton::mouseReleaseEvent(event);
}
