#pragma once
// Dialog units: the forms and dialogs are laid out in units of their font, a quarter of its average
// character width across and an eighth of its height down. For 8-point MS Sans Serif at 96 dpi that
// is 1.5 and 1.625 pixels; other faces get the units that give their text the same room. Pixels are
// Qt's logical pixels, scaled on high-DPI screens.

#include <QFont>
#include <QRect>

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    // The rectangle of (x, y, width, height) in units; neighbours that touch in units touch in pixels.
    QRect rect(int x, int y, int width, int height) const;
    QSize size(int width, int height) const { return rect(0, 0, width, height).size(); }

private:
    double across_;
    double down_;
};

// The font that defines the units of the forms: the desktop's face at 8 points.
QFont formFont();
