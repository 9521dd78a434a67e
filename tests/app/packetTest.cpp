// A data block's row opens to the packet map's packets only when opened; a packet marks its SOP,
// header and EPH apart from its body; a byte selects its packet and code-block; the packet checks'
// faults turn a clean verdict and are stepped through with the others.

#include "app/support/appSuite.h"
#include "app/support/testWindow.h"
#include "engine/packetMap.h"
#include "present/packetLabel.h"
#include "present/verdict.h"
#include "support/packetStream.h"

#include <QAbstractItemModelTester>

#include <fstream>
#include <numeric>

namespace {

std::vector<uint8_t> corpus(const char* name)
{
    std::ifstream in(std::string(TARVIK3_SOURCE_DIR "/tests/corpus/") + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// One packet with SOP in the data, its header in a PPT: a code-block of two bytes.
std::vector<uint8_t> packedHeaders()
{
    TinyStream s{.Scod = 0x02, .tileSegments = {segmentBytes(0x61, joined({{0x00}, firstContribution(0, 1, 2)}))}};
    s.data = {0xFF, 0x91, 0x00, 0x04, 0x00, 0x00, 0xAA, 0xBB};
    return s.bytes();
}

std::vector<QModelIndex> dataRows(const TestWindow& w)
{
    std::vector<QModelIndex> rows;
    for (int i = 0; i < int(w.document.getAnalyzer()->getMarkerOffsets().size()); ++i)
        if (!w.document.getAnalyzer()->isMarker(i))
            rows.push_back(w.model()->indexOf({ItemKind::Element, i}));
    return rows;
}

}  // namespace

class PacketTest : public QObject {
    Q_OBJECT
private slots:
    void dataRowsListTheirPacketsOnceOpened_data()
    {
        QTest::addColumn<std::vector<uint8_t>>("file");
        QTest::newRow("tiles of several tile-parts") << corpus("packets-opj-tile-parts.j2k");
        QTest::newRow("headers in a PPT") << packedHeaders();
    }
    void dataRowsListTheirPacketsOnceOpened()
    {
        QFETCH(std::vector<uint8_t>, file);
        TestWindow w;
        QVERIFY(w.open(file));
        const std::vector<QModelIndex> rows = dataRows(w);
        for (const QModelIndex& row : rows)
            QVERIFY(w.model()->hasChildren(row) && w.model()->rowCount(row) == 0);
        w.tree()->scrollTo(rows.back());  // its parents open
        w.tree()->expand(rows.back());
        QVERIFY(w.model()->rowCount(rows.back()) > 0);
        QCOMPARE(w.model()->rowCount(rows.front()), rows.size() == 1 ? w.model()->rowCount(rows.back()) : 0);
        QAbstractItemModelTester tester(w.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        PacketMap map(*w.document.getAnalyzer());
        for (const QModelIndex& row : rows) {
            const auto place = map.placeOfData(w.model()->itemOf(row).id);
            const TilePackets& tile = map.tilePackets(place->tile);
            QCOMPARE(w.model()->rowCount(row), int(tile.partStart[place->part + 1] - tile.partStart[place->part]));
            for (int k = 0; k < w.model()->rowCount(row); ++k) {
                const Packet& p = tile.packets[tile.partStart[place->part] + k];
                const QModelIndex packet = w.model()->index(k, 0, row);
                QCOMPARE(packet.data().toString(), QString::fromStdString(packetLabel(p)));
                QCOMPARE(w.model()->packetOf(w.model()->itemOf(packet))->packet.offset, p.offset);
            }
        }
    }

    void aPacketMarksItsPartsAndItsBytesSelectIt_data()
    {
        QTest::addColumn<std::vector<uint8_t>>("file");
        QTest::addColumn<ByteRange>("firstPacket");
        QTest::addColumn<std::vector<ByteRange>>("firstParts");
        QTest::addColumn<QString>("firstHeaderLine");
        QTest::newRow("SOP, header and EPH in the data")
            << corpus("packets-opj-lrcp-layers.j2k") << ByteRange{201, 210} << std::vector<ByteRange>{{201, 210}}
            << QString::fromUtf8("Nagłówek: 0x000000cf, 1 B");
        QTest::newRow("SOP in the data, the header in a PPT")
            << packedHeaders() << ByteRange{85, 93} << std::vector<ByteRange>{{85, 91}, {82, 83}}
            << QString::fromUtf8("Nagłówek w PPM lub PPT: 0x00000052, 1 B");
    }
    void aPacketMarksItsPartsAndItsBytesSelectIt()
    {
        QFETCH(std::vector<uint8_t>, file);
        QFETCH(ByteRange, firstPacket);
        QFETCH(std::vector<ByteRange>, firstParts);
        QFETCH(QString, firstHeaderLine);
        TestWindow w;
        QVERIFY(w.open(file));
        const QModelIndex data = dataRows(w).front();
        w.tree()->scrollTo(data);
        w.tree()->expand(data);
        w.tree()->setCurrentIndex(w.model()->index(0, 0, data));
        QCOMPARE(w.hex()->markedRange(), firstPacket);
        QCOMPARE(w.hex()->markedParts(), firstParts);
        QVERIFY(w.detail().split('\n').contains(firstHeaderLine));
        int start, end;  // the header's run, as a screen reader learns it
        const QString header = QAccessible::queryAccessibleInterface(w.hex())->textInterface()->attributes(
            int(3 * firstParts.back().begin), &start, &end);
        QVERIFY(header.contains(QStringLiteral("rgb(150,220,160)")) && end == int(3 * firstParts.back().end - 1));
        for (int k = 0; k < w.model()->rowCount(data); ++k) {
            const FileItem item = w.model()->itemOf(w.model()->index(k, 0, data));
            const Packet p = w.model()->packetOf(item)->packet;
            w.tree()->setCurrentIndex(w.model()->fileIndex());
            w.hex()->moveCaret(3 * (p.bodyEnd - 1));  // the packet's last byte, as a click puts it
            QCOMPARE(w.current(), item);
            QCOMPARE(w.frame.view()->cursorFacts()->element, QString::fromStdString(packetLabel(p)));
            // The body's first byte marks the first code-block that brings bytes, and its lines.
            uint64_t first = 0;
            for (const CodeBlockContribution& block : w.model()->codeBlocksOf(item))
                if (first == 0)
                    first = std::accumulate(block.segmentLengths.begin(), block.segmentLengths.end(), uint64_t{0});
            w.hex()->moveCaret(3 * p.bodyStart);
            if (p.bodyEnd > p.bodyStart)
                QCOMPARE(w.hex()->markedField(), (ByteRange{p.bodyStart, p.bodyStart + first}));
        }
    }

    void packetFaultsTurnTheVerdictAndAreSteppedThrough()
    {
        TestWindow w;
        QVERIFY(w.open(corpus("packets-grk-tile-parts.j2k")));
        QCOMPARE(w.verdict(), QString::fromStdString(verdictText(jpcAnalyzer::statusErrors)));  // clean before
        do
            w.frame.view()->OnNextFault();
        while (!w.statusMessage().contains(QStringLiteral(": 12102 ")) && !w.statusMessage().startsWith("Nie"));
        QCOMPARE(w.current().kind, ItemKind::Packet);
        QCOMPARE(w.model()->packetOf(w.current())->packet.offset, w.hex()->cursor());
    }
};

APP_TEST_SUITE(PacketTest);
#include "packetTest.moc"
