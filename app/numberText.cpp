#include "app/numberText.h"

QString hexOffsetText(uint64_t offset) { return QStringLiteral("0x%1").arg(offset, 8, 16, QLatin1Char('0')); }

// By hand: the locale's grouping of this Qt groups the leading digits wrongly ("1070 140 113").
// Polish leaves four digits whole ("1070") and groups longer numbers with a no-break space, so
// that a number never breaks across lines.
QString groupedNumber(uint64_t value)
{
    const QString digits = QString::number(value);
    if (digits.size() <= 4)
        return digits;
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += QChar(0x00A0);
        out += digits[i];
    }
    return out;
}
