#include "app/DialogUnits.h"

#include <QFontMetrics>

namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QString::fromLatin1(kAlphabet));
    m_baseX = (width / 26 + 1) / 2;
    m_baseY = metrics.height();
    if (m_baseX < 1) {
        m_baseX = 6;
    }
    if (m_baseY < 1) {
        m_baseY = 13;
    }
}

int DialogUnits::X(int dlu) const {
    return (dlu * m_baseX + 2) / 4;
}

int DialogUnits::Y(int dlu) const {
    return (dlu * m_baseY + 4) / 8;
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    return QRect(X(x), Y(y), X(width), Y(height));
}

QSize DialogUnits::Size(int width, int height) const {
    return QSize(X(width), Y(height));
}
