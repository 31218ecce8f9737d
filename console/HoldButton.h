#pragma once

#include <QPushButton>

// A push button that acts while it is held: the primary button going down
// sends the start command of its code, going up sends the general stop. Only
// the mouse acts; a click from the keyboard sends nothing.
class CHoldButton : public QPushButton {
    Q_OBJECT

public:
    explicit CHoldButton(const QString& caption, QWidget* parent = nullptr);

    // 0 to 13, the operation code of the press; assigned by the dialog.
    int m_nCode = -1;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
