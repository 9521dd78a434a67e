// Finding bytes: forwards and backwards from a position, round the end of the file once, with the
// pattern anywhere, also across the borders of the reads and of the steps.

#include "app/hex/byteSearch.h"
#include "app/support/appSuite.h"
#include "engine/byteImage.h"

namespace {

constexpr uint64_t fileSize = 600000;  // more than two reads
constexpr uint64_t readBorder = (256 << 10) - ByteSearch::maxPatternSize;

struct Find {
    std::vector<uint64_t> places;  // of the pattern
    uint64_t from;
    bool forward;
    qint64 hit;  // -1: none
    bool wrapped;
};

}  // namespace

class ByteSearchTest : public QObject {
    Q_OBJECT
private slots:
    void findsEachPositionOnceFromWhereItStarts_data()
    {
        QTest::addColumn<Find>("find");
        const std::vector<uint64_t> two{1000, 5000};
        QTest::newRow("next, after the start") << Find{two, 2000, true, 5000, false};
        QTest::newRow("next, at the start") << Find{two, 1000, true, 1000, false};
        QTest::newRow("next, before the start: round the end") << Find{two, 6000, true, 1000, true};
        QTest::newRow("next from past the last place a pattern fits") << Find{two, fileSize - 1, true, 1000, true};
        QTest::newRow("previous, before the start") << Find{two, 4999, false, 1000, false};
        QTest::newRow("previous, after the start: round the beginning") << Find{two, 500, false, 5000, true};
        QTest::newRow("none") << Find{{}, 0, true, -1, false};
        QTest::newRow("straddling a read") << Find{{readBorder - 1}, 0, true, qint64(readBorder - 1), false};
        QTest::newRow("straddling a read, backwards")
            << Find{{readBorder - 1}, fileSize, false, qint64(readBorder - 1), false};
        QTest::newRow("the last bytes of the file") << Find{{fileSize - 3}, 7, true, qint64(fileSize - 3), false};
    }
    void findsEachPositionOnceFromWhereItStarts()
    {
        QFETCH(Find, find);
        const auto& [places, from, forward, hit, wrapped] = find;
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
