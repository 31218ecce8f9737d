#include "console/HoldButton.h"

#include <QMouseEvent>

#include "console/HoldCommand.h"

CHoldButton::CHoldButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAutoDefault(false);
}

void CHoldButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_bHolding = HoldPress(m_nCode);
    } else {
        // A second button may open a menu that takes the left button's
        // release, so the hold ends here.
        EndOwnHold();
    }
    QPushButton::mousePressEvent(event);
}

// The toolkit delivers the release to the widget that took the press, wherever
// the pointer is by then. A hold something else ended has had its stop.
void CHoldButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_bHolding) {
        m_bHolding = false;
        if (HoldUnderWay()) {
            HoldRelease();
        }
    }
    QPushButton::mouseReleaseEvent(event);
}

void CHoldButton::focusOutEvent(QFocusEvent* event) {
    EndOwnHold();
    QPushButton::focusOutEvent(event);
}

void CHoldButton::hideEvent(QHideEvent* event) {
    EndOwnHold();
    QPushButton::hideEvent(event);
}

void CHoldButton::changeEvent(QEvent* event) {
    if ((event->type() == QEvent::ActivationChange && !isActiveWindow()) ||
        (event->type() == QEvent::EnabledChange && !isEnabled())) {
        EndOwnHold();
    }
    QPushButton::changeEvent(event);
}

void CHoldButton::EndOwnHold() {
    if (m_bHolding) {
        m_bHolding = false;
        EndHold();
    }
}
