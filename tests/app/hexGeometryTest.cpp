// The line geometry that the hex pane and the offset column share agrees with the engine's hex text
// character for character: positions, selections, line counts and offset lines.

#include "app/hexGeometry.h"
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
            QCOMPARE(g.lineOf(k), digits.begin / HexGeometry::charsPerLine);
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

    void selectionsCoverTheDigitsOfTheirBytes_data()
    {
        QTest::addColumn<QPoint>("bytes");
        QTest::addColumn<QPoint>("chars");
        QTest::newRow("SOC: FF 4F and the blank between") << QPoint(0, 2) << QPoint(0, 5);
        QTest::newRow("bytes 12 to 15, not the line feed after 15") << QPoint(12, 16) << QPoint(36, 47);
        QTest::newRow("last element: to the end of the text") << QPoint(30, 41) << QPoint(90, 122);
        QTest::newRow("whole file") << QPoint(0, 41) << QPoint(0, 122);
    }
    void selectionsCoverTheDigitsOfTheirBytes()
    {
        QFETCH(QPoint, bytes);
        QFETCH(QPoint, chars);
        const HexGeometry g(41);
        const CharRange selected = g.charsOf({uint64_t(bytes.x()), uint64_t(bytes.y())});
        QCOMPARE(selected, (CharRange{uint64_t(chars.x()), uint64_t(chars.y())}));
        QCOMPARE(g.bytesOfChars(selected), (ByteRange{uint64_t(bytes.x()), uint64_t(bytes.y())}));
    }

    void aSelectionIsCutIntoTheColumnsOfEachLine()
    {
        const HexGeometry g(41);
        const CharRange bytes12to15 = g.charsOf({12, 16});
        QVERIFY(g.columnsOnLine(0, bytes12to15).empty());
        QCOMPARE(g.columnsOnLine(1, bytes12to15), (CharRange{12, 23}));
        const CharRange bytes6to10 = g.charsOf({6, 11});
        QCOMPARE(g.columnsOnLine(0, bytes6to10), (CharRange{18, 24}));
        QCOMPARE(g.columnsOnLine(1, bytes6to10), (CharRange{0, 8}));
    }
};

APP_TEST_SUITE(HexGeometryTest);
#include "hexGeometryTest.moc"
