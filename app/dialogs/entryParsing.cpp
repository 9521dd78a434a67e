#include "app/dialogs/entryParsing.h"

#include "app/hex/byteSearch.h"

namespace {

const char* const offsetForms = "Wpisz liczbę dziesiętną albo szesnastkową z przedrostkiem 0x, np. 1234 lub 0x4d2.";

bool isHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

}  // namespace

Parsed<uint64_t> parseOffset(const QString& text, uint64_t fileSize)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {{}, QString::fromUtf8("Nie wpisano pozycji. ") + QString::fromUtf8(offsetForms)};
    const bool hex = t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    const QString digits = hex ? t.mid(2) : t;
    bool ok = !digits.isEmpty();
    for (const QChar c : digits)
        ok = ok && (hex ? isHexDigit(c) : c >= '0' && c <= '9');
    if (!ok)
        return {{}, QString::fromUtf8("„%1” nie jest liczbą. ").arg(t) + QString::fromUtf8(offsetForms)};
    bool fits = false;
    const qulonglong offset = digits.toULongLong(&fits, hex ? 16 : 10);
    if (!fits || offset >= fileSize) {
        const QString last = fileSize ? QStringLiteral("%1 (0x%2)").arg(fileSize - 1).arg(fileSize - 1, 0, 16)
                                      : QStringLiteral("-");
        return {{}, QString::fromUtf8("Pozycja %1 leży poza plikiem: plik ma %2 B, ostatnia pozycja to %3.")
                        .arg(t)
                        .arg(fileSize)
                        .arg(last)};
    }
    return {offset, {}};
}

Parsed<std::vector<uint8_t>> parseHexBytes(const QString& text)
{
    QString digits;
    for (const QChar c : text) {
        if (c.isSpace())
            continue;
        if (!isHexDigit(c))
            return {{}, QString::fromUtf8("„%1” nie jest cyfrą szesnastkową. Wpisz bajty jako pary cyfr, np. ff 90.")
                            .arg(c)};
        digits += c;
    }
    if (digits.isEmpty())
        return {{}, QString::fromUtf8("Nie wpisano bajtów. Wpisz je jako pary cyfr szesnastkowych, np. ff 90.")};
    if (digits.size() % 2 != 0)
        return {{}, QString::fromUtf8("Nieparzysta liczba cyfr (%1): każdy bajt to dwie cyfry szesnastkowe.")
                        .arg(digits.size())};
    const auto count = static_cast<size_t>(digits.size() / 2);
    if (count > ByteSearch::maxPatternSize)
        return {{}, QString::fromUtf8("Za dużo bajtów (%1): najwyżej %2.").arg(count).arg(ByteSearch::maxPatternSize)};
    std::vector<uint8_t> bytes(count);
    for (size_t k = 0; k < count; ++k)
        bytes[k] = static_cast<uint8_t>(digits.mid(static_cast<qsizetype>(2 * k), 2).toUInt(nullptr, 16));
    return {bytes, {}};
}

QString hexBytesText(const std::vector<uint8_t>& bytes)
{
    QStringList pairs;
    for (const uint8_t b : bytes)
        pairs << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0'));
    return pairs.join(QLatin1Char(' '));
}
