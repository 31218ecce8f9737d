#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Dialog units: a quarter of the font's average character width across, an
// eighth of its height down, so the template's layout scales with the font.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int X(int dlu) const;
    int Y(int dlu) const;
    QRect Rect(int x, int y, int width, int height) const;
    QSize Size(int width, int height) const;

private:
    int m_baseX;
    int m_baseY;
};
