// The preview's geometry: the picture fitted and centred at its region's proportions, rectangles
// and points of the reference grid through it both ways, the tile under a point, the grid drawn
// only while its tiles can be seen, and a new decode only when the pane changed a lot.

#include "app/preview/previewGeometry.h"
#include "app/support/appSuite.h"

namespace {

// A 100 × 70 image at (10, 5) under tiles of 32 × 32 from (4, 2): 4 columns, 3 rows.
const TileGrid grid{110, 75, 10, 5, 32, 32, 4, 2};
const ImageRegion image{10, 5, 110, 75};

}  // namespace

class PreviewGeometryTest : public QObject {
    Q_OBJECT
private slots:
    void pictureAndGridMapBothWays()
    {
        // Twice the grid across and down: 200 × 140, centred across a pane of 300.
        const PreviewGeometry g(image, QSizeF(300, 140));
        QCOMPARE(g.pictureRect(), QRectF(50, 0, 200, 140));
        QCOMPARE(g.paneRect(grid.tile(5)), QRectF(QPointF(102, 58), QPointF(166, 122)));
        QCOMPARE(g.gridPoint({50, 0}), GridPoint({10, 5}));
        QCOMPARE(g.gridPoint({249.9, 139.9}), GridPoint({109, 74}));
        QCOMPARE(g.gridPoint({49.9, 10}), std::nullopt);
        QCOMPARE(g.gridPoint({250, 10}), std::nullopt);
        QCOMPARE(g.tileAt(grid, {134, 90}), 5u);
        QCOMPARE(g.tileAt(grid, {165.9, 121.9}), 5u);
        QCOMPARE(g.tileAt(grid, {166, 122}), 10u);
        QCOMPARE(g.tilesInView(grid), (GridRect{0, 0, 4, 3}));
        QVERIFY(PreviewGeometry(image, QSizeF()).isEmpty());
    }

    void gridIsDrawnWhileItsTilesCanBeSeen_data()
    {
        QTest::addColumn<double>("paneWidth");
        QTest::addColumn<quint32>("tileSide");
        QTest::addColumn<bool>("shown");
        QTest::newRow("tiles of 64 px") << 200.0 << 32u << true;
        QTest::newRow("tiles of 6.4 px") << 20.0 << 32u << true;
        QTest::newRow("tiles of 3.2 px") << 10.0 << 32u << false;
        QTest::newRow("7,000 tiles in view") << 10000.0 << 1u << false;
    }
    void gridIsDrawnWhileItsTilesCanBeSeen()
    {
        QFETCH(double, paneWidth);
        QFETCH(quint32, tileSide);
        QFETCH(bool, shown);
        TileGrid fine = grid;
        fine.XTsiz = fine.YTsiz = tileSide;
        fine.XTOsiz = fine.YTOsiz = 0;
        QCOMPARE(PreviewGeometry(image, QSizeF(paneWidth, paneWidth)).showsTiles(fine), shown);
    }

    void newDecodeOnlyWhenThePaneChangedALot_data()
    {
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<QSize>("now");
        QTest::addColumn<bool>("fullResolution");
        QTest::addColumn<bool>("decoding");
        QTest::addColumn<bool>("wanted");
        QTest::newRow("never asked") << QSize() << QSize(400, 300) << false << false << true;
        QTest::newRow("twice as large") << QSize(200, 200) << QSize(400, 400) << false << false << true;
        QTest::newRow("twice as large, all pixels there") << QSize(200, 200) << QSize(400, 400) << true << false << false;
        QTest::newRow("a fifth larger") << QSize(200, 200) << QSize(240, 240) << false << false << false;
        QTest::newRow("taller only, for a square image") << QSize(200, 200) << QSize(200, 600) << false << false << false;
        QTest::newRow("a third, decoding") << QSize(600, 600) << QSize(200, 200) << false << true << true;
        QTest::newRow("a third, shown") << QSize(600, 600) << QSize(200, 200) << false << false << false;
    }
    void newDecodeOnlyWhenThePaneChangedALot()
    {
        QFETCH(QSize, requested);
        QFETCH(QSize, now);
        QFETCH(bool, fullResolution);
        QFETCH(bool, decoding);
        QFETCH(bool, wanted);
        QCOMPARE(PreviewGeometry::wantsNewDecode(requested, now, QSizeF(100, 100), fullResolution, decoding), wanted);
    }
};

APP_TEST_SUITE(PreviewGeometryTest);
#include "previewGeometryTest.moc"
