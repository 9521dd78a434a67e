#include "app/layout/dialogUnits.h"

#include <QApplication>
#include <QFontMetricsF>

#include <cmath>

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetricsF metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const double average = metrics.horizontalAdvance(letters) / letters.size();
    across_ = average / 4;
    down_ = std::round(metrics.height()) / 8;
}

QRect DialogUnits::rect(int x, int y, int width, int height) const
{
    const int left = static_cast<int>(std::lround(x * across_));
    const int top = static_cast<int>(std::lround(y * down_));
    const int right = static_cast<int>(std::lround((x + width) * across_));
    const int bottom = static_cast<int>(std::lround((y + height) * down_));
    return {left, top, right - left, bottom - top};
}

QFont formFont()
{
    QFont font = QApplication::font();
    font.setPointSize(8);
    return font;
}
