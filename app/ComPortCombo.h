#pragma once

#include <QAbstractItemView>
#include <QComboBox>
#include <QStyle>
#include <QStylePainter>
#include <functional>
#include <utility>

// The COM combo: its entries say where each port leads, so they are longer
// than the combo is wide. The shown text is elided (the whole of it in the
// tooltip), the list may be wider than the combo, and the entries are
// refreshed just before the list opens.
class CComPortCombo : public QComboBox {
public:
    CComPortCombo(QWidget* parent, std::function<void()> beforePopup)
        : QComboBox(parent), m_beforePopup(std::move(beforePopup)) {
        connect(this, &QComboBox::currentTextChanged, this, &QWidget::setToolTip);
    }

    void showPopup() override {
        if (m_beforePopup) {
            m_beforePopup();
        }
        QComboBox::showPopup();
    }

    // Lets the list grow to the widest entry.
    void FitListToEntries() {
        int widest = 0;
        for (int i = 0; i < count(); ++i) {
            widest = std::max(widest, fontMetrics().horizontalAdvance(itemText(i)));
        }
        view()->setMinimumWidth(widest + 4 * fontMetrics().averageCharWidth());
        setToolTip(currentText());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                    QStyle::SC_ComboBoxEditField, this);
        option.currentText =
            fontMetrics().elidedText(option.currentText, Qt::ElideRight, field.width());
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    }

private:
    std::function<void()> m_beforePopup;
};
