// Finding bytes: forwards and backwards from a position, round the end of the file once, with the
// pattern anywhere, also across the borders of the reads and of the steps.

#include "app/byteSearch.h"
#include "app/support/appSuite.h"
#include "engine/byteImage.h"

namespace {

constexpr uint64_t fileSize = 600000;  // more than two reads
constexpr uint64_t readBorder = (256 << 10) - ByteSearch::maxPatternSize;

}  // namespace

class ByteSearchTest : public QObject {
    Q_OBJECT
private slots:
    void findsEachPositionOnceFromWhereItStarts_data()
    {
        QTest::addColumn<std::vector<uint64_t>>("places");
        QTest::addColumn<uint64_t>("from");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<qint64>("hit");  // -1: none
        QTest::addColumn<bool>("wrapped");
        const std::vector<uint64_t> two{1000, 5000};
        QTest::newRow("next, after the start") << two << uint64_t{2000} << true << qint64{5000} << false;
        QTest::newRow("next, at the start") << two << uint64_t{1000} << true << qint64{1000} << false;
        QTest::newRow("next, before the start: round the end") << two << uint64_t{6000} << true << qint64{1000} << true;
        QTest::newRow("next from past the last place a pattern fits")
            << two << fileSize - 1 << true << qint64{1000} << true;
        QTest::newRow("previous, before the start") << two << uint64_t{4999} << false << qint64{1000} << false;
        QTest::newRow("previous, after the start: round the beginning")
            << two << uint64_t{500} << false << qint64{5000} << true;
        QTest::newRow("none") << std::vector<uint64_t>{} << uint64_t{0} << true << qint64{-1} << false;
        QTest::newRow("straddling a read") << std::vector<uint64_t>{readBorder - 1} << uint64_t{0} << true
                                           << qint64(readBorder - 1) << false;
        QTest::newRow("straddling a read, backwards")
            << std::vector<uint64_t>{readBorder - 1} << fileSize << false << qint64(readBorder - 1) << false;
        QTest::newRow("the last bytes of the file")
            << std::vector<uint64_t>{fileSize - 3} << uint64_t{7} << true << qint64(fileSize - 3) << false;
    }
    void findsEachPositionOnceFromWhereItStarts()
    {
        QFETCH(std::vector<uint64_t>, places);
        QFETCH(uint64_t, from);
        QFETCH(bool, forward);
        QFETCH(qint64, hit);
        QFETCH(bool, wrapped);
        const std::vector<uint8_t> pattern{0xFF, 0x90, 0x12};
        std::vector<uint8_t> bytes(fileSize, 0xFF);  // the pattern's first byte everywhere else
        for (const uint64_t at : places)
            std::copy(pattern.begin(), pattern.end(), bytes.begin() + static_cast<ptrdiff_t>(at));
        const ByteImage image(bytes);
        // In one go, and in small steps whose borders fall everywhere.
        for (const uint64_t budget : {fileSize, uint64_t{4099}}) {
            ByteSearch search(image, pattern, from, forward ? ByteSearch::Direction::forward
                                                            : ByteSearch::Direction::backward);
            while (search.step(budget) == ByteSearch::State::searching) {
            }
            QCOMPARE(search.state(), hit < 0 ? ByteSearch::State::notFound : ByteSearch::State::found);
            if (hit < 0) {
                QCOMPARE(search.searched(), fileSize - 2);
                continue;
            }
            QCOMPARE(qint64(search.hit()), hit);
            QCOMPARE(search.wrapped(), wrapped);
        }
    }
};

APP_TEST_SUITE(ByteSearchTest);
#include "byteSearchTest.moc"
