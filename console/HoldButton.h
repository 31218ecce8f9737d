#pragma once

#include <QPushButton>

// A push button that acts while it is held: the primary button going down
// sends the start command of its code, going up sends the general stop. Only
// the mouse acts; a click from the keyboard sends nothing. Whatever else ends
// the hold (another mouse button, the focus or the window going away, the
// button being hidden or disabled) sends the stop in its place.
class CHoldButton : public QPushButton {
    Q_OBJECT

public:
    explicit CHoldButton(const QString& caption, QWidget* parent = nullptr);

    // 0 to 13, the operation code of the press; assigned by the dialog.
    int m_nCode = -1;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void EndOwnHold();

    bool m_bHolding = false;  // this button's press started the hold under way
};
