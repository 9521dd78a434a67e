// The preview pane in the window. The real helper's picture of a tiled sample is linked with the
// tree both ways; a cut copy is decoded as far as it goes, its lost tiles marked; a stream the
// decoder cannot read, an empty file and no file are said in words; whatever the stand-in helper
// does (crash, hang, garbage, no start, a stop by the user, a closed file) ends as a message while
// the window goes on; a pane grown a lot asks for a larger picture.

#include "app/preview/pictureView.h"
#include "app/preview/previewPane.h"
#include "app/support/appSuite.h"
#include "app/support/testWindow.h"
#include "engine/jpcAnalyzer.h"

#include <QDockWidget>
#include <QTemporaryDir>

#include <csignal>

namespace {

const QString source = TARVIK3_SOURCE_DIR;

struct PreviewWindow : TestWindow {
    explicit PreviewWindow(const QString& helper = TARVIK3_DECODE_PATH) { pane()->decoder().setHelperPath(helper); }
    PreviewPane* pane() const { return frame.view()->previewPane(); }
    PictureView* picture() const { return pane()->picture(); }
    // The decode asked for ended, in a picture or a message.
    bool settled() const
    {
        return QTest::qWaitFor([&] { return !pane()->isDecoding() && picture()->message() != "Dekodowanie…"; }, 20000);
    }
    uint16_t Isot(int element) const
    {
        const jpcAnalyzer& a = *document.getAnalyzer();
        return a.getImage().be16(uint64_t{a.getMarkerOffsets()[element]} + 4);
    }
    // Clicks the middle of the tile in the picture.
    void clickTile(uint32_t tile) const
    {
        const auto grid = readTileGrid(*document.getAnalyzer());
        const QPointF at = picture()->pictureGeometry().paneRect(grid->tile(tile)).center();
        QTest::mouseClick(picture(), Qt::LeftButton, {}, at.toPoint());
    }
    // The current row is the SOT of the tile's first tile-part.
    bool showsFirstPartOf(uint32_t tile) const
    {
        const int sot = currentElement();
        for (int e = 0; e < sot; ++e)
            if (document.getAnalyzer()->getElementCode(e) == 0x90 && Isot(e) == tile)
                return false;
        return sot > 0 && document.getAnalyzer()->getElementCode(sot) == 0x90 && Isot(sot) == tile;
    }
};

std::vector<uint8_t> sampleCutAt(qint64 size)
{
    std::vector<uint8_t> bytes = readWholeFile((source + "/samples/color-tiled.j2k").toStdString());
    bytes.resize(size);
    return bytes;
}

}  // namespace

class PreviewPaneTest : public QObject {
    Q_OBJECT
private slots:
    void tilesAreLinkedBothWays()
    {
        PreviewWindow w;
        QVERIFY(w.open((source + "/samples/color-tiled.j2k").toStdString()));
        QVERIFY(w.settled());
        QVERIFY(w.picture()->hasPicture());
        // Elements 6 to 9 are the first tile-part (SOT, PLT, SOD, data), 10 to 13 the second.
        for (const int element : {6, 7, 8, 9, 10, 13}) {
            w.select(element);
            const int sot = element - (element - 6) % 4;
            QCOMPARE(w.picture()->highlightedTile(), std::optional<uint64_t>(w.Isot(sot)));
        }
        // A packet of the first tile-part's data: its tile, and its precinct (here the whole tile).
        const QModelIndex data = w.model()->indexOf({ItemKind::Element, 9});
        w.tree()->expand(data);
        w.tree()->setCurrentIndex(w.model()->index(0, 0, data));
        QCOMPARE(w.picture()->highlightedTile(), std::optional<uint64_t>(w.Isot(6)));
        QCOMPARE(w.picture()->highlightedArea(), readTileGrid(*w.document.getAnalyzer())->tile(w.Isot(6)));
        QVERIFY(w.picture()->accessibleDescription().contains("Precinct pakietu: x "));
        w.select(3);
        QCOMPARE(w.picture()->highlightedTile(), std::nullopt);
        QCOMPARE(w.picture()->highlightedArea(), std::nullopt);

        for (const uint32_t tile : {0u, 5u, 11u}) {
            w.clickTile(tile);
            QVERIFY2(w.showsFirstPartOf(tile), qPrintable(QString::number(tile)));
            QCOMPARE(w.picture()->highlightedTile(), tile);
        }
        QTest::keyClick(w.picture(), Qt::Key_Up);
        QVERIFY(w.showsFirstPartOf(7));
        QVERIFY(w.picture()->accessibleDescription().contains("Kafel 7."));
    }

    // Cut inside the first tile-part of tile 6: tiles 0 to 5 decoded, 6 reached but not decoded, the
    // others not in the file. The engine's verdict is fatal; a click shows the part it read.
    void cutStreamMarksItsLostTiles()
    {
        PreviewWindow w;
        QVERIFY(w.open(sampleCutAt(9000)));
        QVERIFY(w.settled());
        QVERIFY(w.picture()->hasPicture());
        QVERIFY2(w.pane()->status().contains("Bez danych (przekreślone): kafle 6, 7, 8, 9, 10, 11."),
                 qPrintable(w.pane()->status()));
        w.clickTile(8);
        QCOMPARE(w.statusMessage(), "Kafel 8 nie ma w strumieniu żadnej części.");
        QVERIFY(w.picture()->accessibleDescription().contains("Kafel 8: w strumieniu nie ma żadnej jego części."));
        w.clickTile(6);
        QVERIFY(w.showsFirstPartOf(6));
        QVERIFY(w.verdict().contains("Pokazano tylko część"));
        QVERIFY(w.picture()->accessibleDescription().contains(
            "Kafel 6: strumień kończy się przed jego danymi; błędy w jego częściach: 1, 1017."));
    }

    void withoutPictureThePaneSaysWhy_data()
    {
        QTest::addColumn<QString>("name");  // of the file, which tells the stand-in what to do; empty: none
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("helper");
        QTest::addColumn<QString>("message");
        const std::vector<uint8_t> clean = cleanStream().bytes();
        const QByteArray stream(reinterpret_cast<const char*>(clean.data()), static_cast<qsizetype>(clean.size()));
        const QString standIn = TARVIK3_STAND_IN_PATH;
        QTest::newRow("no file") << "" << QByteArray() << standIn << "Nie otwarto żadnego pliku.";
        QTest::newRow("empty file") << "empty" << QByteArray() << standIn
                                    << "Plik jest pusty (0 B): nie ma czego dekodować.";
        QTest::newRow("main header the decoder cannot read")
            << "header.j2k" << QByteArray("\xff\x4f\xff\x51\x00\x02", 6) << QString(TARVIK3_DECODE_PATH)
            << "Brak podglądu. Nie można odczytać nagłówka głównego strumienia: Error with SIZ marker size";
        QTest::newRow("crash") << "crash" << stream << standIn
                               << "Brak podglądu. Program dekodujący uległ awarii (SIGSEGV).";
        QTest::newRow("hang") << "hang" << stream << standIn
                              << "Brak podglądu. Dekodowanie trwało dłużej niż 1 s i zostało przerwane.";
        QTest::newRow("garbage") << "garbage" << stream << standIn
                                 << "Brak podglądu. Program dekodujący nie zwrócił poprawnej odpowiedzi";
        QTest::newRow("no helper") << "x.j2k" << stream << "/no/such/helper"
                                   << "Brak podglądu. Nie można uruchomić programu dekodującego /no/such/helper";
    }
    void withoutPictureThePaneSaysWhy()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, helper);
        QFETCH(QString, message);
        PreviewWindow w(helper);
        w.pane()->decoder().setTimeLimit(std::chrono::seconds(1));
        QTemporaryDir dir;
        QFile file(dir.filePath(name));
        if (!name.isEmpty()) {
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
            file.close();
            QVERIFY(w.open(file.fileName().toStdString()));
        }
        QVERIFY(w.settled());
        QVERIFY(!w.picture()->hasPicture());
        QVERIFY2(w.picture()->message().startsWith(message), qPrintable(w.picture()->message()));
    }

    // Stopped by the user, or by closing the file, the helper is killed and the pane says so.
    void stopAndCloseEndTheHelper()
    {
        for (const bool close : {false, true}) {
            PreviewWindow w(TARVIK3_STAND_IN_PATH);
            QTemporaryDir dir;
            const QString path = dir.filePath("hang");
            w.files.emplace_back(cleanStream().bytes());
            QVERIFY(QFile::copy(QString::fromStdString(w.files.back().path()), path));
            QVERIFY(w.open(path.toStdString()));
            QTRY_VERIFY(QFile::exists(path + ".pid"));
            QFile pidFile(path + ".pid");
            QVERIFY(pidFile.open(QIODevice::ReadOnly));
            const auto pid = static_cast<pid_t>(pidFile.readAll().toLongLong());
            QVERIFY(w.find<QWidget>("stopDecoding")->isVisible());
            if (close)
                w.document.OnNewDocument();
            else
                w.find<QPushButton>("stopDecoding")->click();
            QVERIFY(!w.pane()->isDecoding());
            QCOMPARE(w.picture()->message(), close ? "Nie otwarto żadnego pliku." : "Dekodowanie przerwane.");
            QTRY_VERIFY(::kill(pid, 0) != 0);
        }
    }

    // The stand-in refuses with the arguments it was given: the size asked for shows in the message.
    void paneGrownALotAsksForALargerPicture()
    {
        PreviewWindow w(TARVIK3_STAND_IN_PATH);
        QTemporaryDir dir;
        const QString path = dir.filePath("arguments");
        w.files.emplace_back(cleanStream().bytes());
        QVERIFY(QFile::copy(QString::fromStdString(w.files.back().path()), path));
        QVERIFY(w.open(path.toStdString()));
        QVERIFY(w.settled());
        const auto askedWidth = [picture = w.picture()] {
            const QString size = picture->message().section("--size ", 1).section(' ', 0, 0);
            return size.section('x', 0, 0).toInt();
        };
        const int before = askedWidth();
        QVERIFY(before > 0);
        w.frame.resize(w.frame.width() + 2 * before, w.frame.height() * 3);
        w.frame.resizeDocks({w.find<QDockWidget>("previewDock")}, {3 * before}, Qt::Horizontal);
        QTRY_VERIFY(askedWidth() >= 2 * before);
    }
};

APP_TEST_SUITE(PreviewPaneTest);
#include "previewPaneTest.moc"
