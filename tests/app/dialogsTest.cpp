// The two buttons and their dialogs: the description of the selected marker (or the note for data
// and boxes, or nothing), the error list with codes, messages and positions in list order, and the
// jump from an error to the element or box that holds its position.

#include "app/support/appSuite.h"
#include "app/support/testWindow.h"
#include "app/markerDescriptionDlg.h"
#include "engine/jpcAnalyzer.h"
#include "present/markerDescription.h"

#include <QAbstractItemModel>

namespace {

// SOC SIZ COD QCD CRG | SOT SOD <dane> | EOC: elements 0 to 8.
std::vector<uint8_t> streamWithCrg()
{
    return StreamBuilder().mainHeader().segment(0x63, {0, 1, 0, 1}).tilePart().eoc().bytes();
}

// A second COD in the tile-part header (1001) and bytes after EOC (1003).
std::vector<uint8_t> streamWithErrors()
{
    return StreamBuilder().mainHeader().beginTilePart().cod().cod().sod().fill(16).endTilePart().eoc().fill(3).bytes();
}

QString described(signed char code)
{
    return QString::fromStdString(markerDescription(code)).replace("\r\n", "\n");
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void describeButtonShowsTheSelectedMarkersDescription_data()
    {
        QTest::addColumn<int>("row");  // element index; -1 the file row, -2 nothing selected
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing selected: no dialog") << -2 << QString();
        QTest::newRow("the file row: no dialog") << -1 << QString();
        QTest::newRow("SIZ") << 1 << described(0x51);
        QTest::newRow("SOT, code byte 0x90 passed as -112") << 5 << described(-112);
        QTest::newRow("a marker without a description") << 4 << "Ten marker nie ma opisu";
        QTest::newRow("data block") << 7 << "Nie ma opisu do danych";
    }
    void describeButtonShowsTheSelectedMarkersDescription()
    {
        QFETCH(int, row);
        QFETCH(QString, text);
        TestWindow w;
        const ScratchFile file(streamWithCrg());
        QVERIFY(w.open(file.path()));
        if (row == -1)
            w.selectFile();
        else if (row >= 0)
            w.select(row);
        QString shown;
        const bool opened = whileModal([&] { press(w, "describe"); }, [&](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QString("Opis markera"));
            shown = static_cast<CMarkerDescriptionDlg&>(dialog).text();
        });
        QCOMPARE(opened, !text.isEmpty());
        QCOMPARE(shown, text);
        QVERIFY(!shown.contains('\r'));
    }

    void errorsButtonListsEveryCodeInListOrder_data()
    {
        QTest::addColumn<std::vector<uint8_t>>("stream");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("clean: no rows") << cleanStream().bytes() << QStringList();
        QTest::newRow("raised code first, then recorded ones")
            << streamWithErrors()
            << QStringList{QString::fromUtf8("1001|Wiele markerów COD w nagłówku lub kaflu|0000006a"),
                           "1003|Dane za markerem EOC|0000008c"};
        QTest::newRow("fatal") << StreamBuilder().soc().segment(0x51, {0, 0}).eoc().bytes()
                               << QStringList{QString::fromUtf8(
                                      "5|Marker SIZ zbyt mały, brak niezbędnych danych.|00000002")};
    }
    void errorsButtonListsEveryCodeInListOrder()
    {
        QFETCH(std::vector<uint8_t>, stream);
        QFETCH(QStringList, rows);
        TestWindow w;
        const ScratchFile file(stream);
        QVERIFY(w.open(file.path()));
        QStringList shown;
        QVERIFY(whileModal([&] { press(w, "errors"); }, [&](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QString::fromUtf8("Błędy w strukturze"));
            const QAbstractItemModel* list = dialog.findChild<QAbstractItemView*>()->model();
            for (int r = -1; r < list->rowCount(); ++r) {
                QStringList cells;
                for (int column = 0; column < 3; ++column)
                    cells << (r < 0 ? list->headerData(column, Qt::Horizontal) : list->index(r, column).data())
                                 .toString();
                shown << cells.join('|');
            }
        }));
        QCOMPARE(shown, QStringList{QString::fromUtf8("Kod błędu|Opis błędu|Pozycja")} + rows);
    }

    void neitherDialogOpensWithoutAFile()
    {
        TestWindow w;
        QVERIFY(!whileModal([&] { press(w, "errors"); }));
        QVERIFY(!whileModal([&] { press(w, "describe"); }));
    }

    void doubleClickingAnErrorSelectsTheElementThatHoldsIt_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("element");
        QTest::newRow("1001: the second COD, inside the tile-part header") << 0 << 6;
        QTest::newRow("1003: bytes after EOC, held by EOC") << 1 << 9;
    }
    void doubleClickingAnErrorSelectsTheElementThatHoldsIt()
    {
        QFETCH(int, row);
        QFETCH(int, element);
        TestWindow w;
        const ScratchFile file(streamWithErrors());
        QVERIFY(w.open(file.path()));
        whileModal([&] { press(w, "errors"); }, [&](QDialog& dialog) {
            doubleClickRow(dialog.findChild<QAbstractItemView*>(), row);
            QVERIFY(!dialog.isVisible());
        });
        QCOMPARE(w.model()->elementOf(w.tree()->currentIndex()), element);
        QVERIFY(w.tree()->isExpanded(w.tree()->currentIndex().parent()));
        QCOMPARE(w.detail(), QString::fromStdString(w.document.getAnalyzer()->buildElementText(element)));
    }

    void aContainerCodeLeadsToItsBoxWhichHasNoMarkerDescription()
    {
        TestWindow w;
        ImageHeaderFields ihdr;
        ihdr.HEIGHT = 65;  // 20201, at the image header box
        const ScratchFile file(minimalJp2(ihdr).bytes());
        QVERIFY(w.open(file.path()));
        whileModal([&] { press(w, "errors"); },
                   [&](QDialog& dialog) { doubleClickRow(dialog.findChild<QAbstractItemView*>(), 0); });
        QCOMPARE(w.current(), (FileItem{ItemKind::Box, 3}));
        QVERIFY(w.tree()->isExpanded(w.tree()->currentIndex().parent()));
        QCOMPARE(w.detail(), QString::fromStdString(w.document.getAnalyzer()->buildBoxText(3)));
        QString shown;
        QVERIFY(whileModal([&] { press(w, "describe"); },
                           [&](QDialog& dialog) { shown = static_cast<CMarkerDescriptionDlg&>(dialog).text(); }));
        QCOMPARE(shown, QString::fromUtf8("Nie ma opisu do boksów"));
    }
};

APP_TEST_SUITE(DialogsTest);
#include "dialogsTest.moc"
