// The line geometry that the hex pane and the offset column share agrees with the engine's hex text
// character for character: positions, selections, line counts and offset lines.

#include "app/hex/hexGeometry.h"
#include "app/support/appSuite.h"
#include "support/analysis.h"

#include <QTest>

namespace {

std::vector<uint8_t> bytesOfSize(int size)
{
    // A leading 0x00 makes the engine stop at once (no marker), so any size analyses.
    std::vector<uint8_t> bytes(size);
    for (int k = 1; k < size; ++k)
        bytes[k] = static_cast<uint8_t>(k * 37 + 5);
    return bytes;
}

}  // namespace

class HexGeometryTest : public QObject {
    Q_OBJECT
private slots:
    void wholeTextAndLinesMatchTheHexText_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("lastOffsetLine");
        QTest::newRow("1 byte") << 1 << "00000000:";
        QTest::newRow("8 bytes, one line without a line feed") << 8 << "00000000:";
        QTest::newRow("9 bytes") << 9 << "00000008:";
        QTest::newRow("17 bytes") << 17 << "00000010:";
        QTest::newRow("100 bytes") << 100 << "00000060:";
    }
    void wholeTextAndLinesMatchTheHexText()
    {
        QFETCH(int, size);
        QFETCH(QString, lastOffsetLine);
        const std::vector<uint8_t> bytes = bytesOfSize(size);
        const auto analyzer = analyze(bytes);
        const std::string hex = analyzer->buildHexText();
        const HexGeometry g(size);

        QCOMPARE(g.text({0, g.textLength()}, bytes), hex);
        QCOMPARE(g.lineCount(), uint64_t(analyzer->getHexLineCount()));
        for (uint64_t k = 0; k < bytes.size(); ++k) {
            const CharRange digits = g.charsOf({k, k + 1});
            QCOMPARE(hex.substr(digits.begin, 2), g.text(digits, {&bytes[k], 1}));
            QCOMPARE(g.lineOf(k), digits.begin / g.charsPerLine());
        }
        const std::string offsets = g.offsetText({0, g.offsetTextLength()});
        QCOMPARE(offsets.size(), g.lineCount() * 10);
        QCOMPARE(QString::fromStdString(offsets.substr(offsets.size() - 10)), lastOffsetLine + "\n");
    }

    void anyRangeOfTheTextCanBeMadeFromItsBytesAlone()
    {
        const std::vector<uint8_t> bytes = bytesOfSize(41);
        const std::string hex = analyze(bytes)->buildHexText();
        const HexGeometry g(bytes.size());
        for (uint64_t begin = 0; begin < hex.size(); begin += 5)
            for (uint64_t end = begin; end <= hex.size() + 2; end += 7) {
                const ByteRange needed = g.bytesOfChars({begin, end});
                const std::span<const uint8_t> from(bytes.data() + needed.begin, needed.end - needed.begin);
                QCOMPARE(g.text({begin, end}, from), hex.substr(begin, end - begin));
            }
        QCOMPARE(g.offsetText({13, 25}), std::string("00008:\n00000"));
    }

    void selectionsCoverTheDigitsOfTheirBytesCutIntoLines_data()
    {
        QTest::addColumn<QPoint>("bytes");
        QTest::addColumn<QPoint>("chars");
        QTest::addColumn<QPoint>("columns0");  // of the first two lines
        QTest::addColumn<QPoint>("columns1");
        QTest::newRow("SOC: FF 4F and the blank between") << QPoint(0, 2) << QPoint(0, 5) << QPoint(0, 5) << QPoint();
        QTest::newRow("bytes 12 to 15, not the line feed after 15")
            << QPoint(12, 16) << QPoint(36, 47) << QPoint() << QPoint(12, 23);
        QTest::newRow("bytes 6 to 10, over a line feed") << QPoint(6, 11) << QPoint(18, 32) << QPoint(18, 24)
                                                         << QPoint(0, 8);
        QTest::newRow("last element: to the end of the text") << QPoint(30, 41) << QPoint(90, 122) << QPoint()
                                                               << QPoint();
        QTest::newRow("whole file") << QPoint(0, 41) << QPoint(0, 122) << QPoint(0, 24) << QPoint(0, 24);
    }
    void selectionsCoverTheDigitsOfTheirBytesCutIntoLines()
    {
        QFETCH(QPoint, bytes);
        QFETCH(QPoint, chars);
        QFETCH(QPoint, columns0);
        QFETCH(QPoint, columns1);
        const HexGeometry g(41);
        const auto range = [](QPoint p) { return CharRange{uint64_t(p.x()), uint64_t(p.y())}; };
        const ByteRange byteRange{uint64_t(bytes.x()), uint64_t(bytes.y())};
        const CharRange selected = g.charsOf(byteRange);
        QCOMPARE(selected, range(chars));
        QCOMPARE(g.bytesOfChars(selected), byteRange);
        QCOMPARE(g.columnsOnLine(0, selected), range(columns0));
        QCOMPARE(g.columnsOnLine(1, selected), range(columns1));
    }
};

APP_TEST_SUITE(HexGeometryTest);
#include "hexGeometryTest.moc"
