// The two buttons and their dialogs: the description of the selected marker (or the note for data
// and boxes; greyed when there is nothing to describe), the error list with codes, messages and
// positions in list order (or a line saying there are none), and the jump from an error, by a
// double click or by the keys, to the element or box that holds its position.

#include "app/support/appSuite.h"
#include "app/support/testWindow.h"
#include "app/dialogs/markerDescriptionDlg.h"
#include "engine/jpcAnalyzer.h"
#include "present/markerDescription.h"

#include <QAbstractItemModel>
#include <QLabel>

namespace {

// SOC SIZ COD QCD CRG | SOT SOD <dane> | EOC: elements 0 to 8.
std::vector<uint8_t> streamWithCrg()
{
    return StreamBuilder().mainHeader().segment(0x63, {0, 1, 0, 1}).tilePart().eoc().bytes();
}

// A second COD in the tile-part header (1001), bytes after EOC (1003), and packets that cannot be
// read under two CODs (12113).
std::vector<uint8_t> streamWithErrors()
{
    return StreamBuilder().mainHeader().beginTilePart().cod().cod().sod().fill(16).endTilePart().eoc().fill(3).bytes();
}

// A JP2 file whose image header box is too high for its codestream (20201, at box 3).
std::vector<uint8_t> jp2WithError()
{
    ImageHeaderFields ihdr;
    ihdr.HEIGHT = 65;
    return minimalJp2(ihdr).bytes();
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
        QTest::addColumn<std::vector<uint8_t>>("file");  // none: no file open
        QTest::addColumn<FileItem>("item");  // element -2: nothing selected
        QTest::addColumn<QString>("text");
        const auto element = [](int id) { return FileItem{ItemKind::Element, id}; };
        QTest::newRow("no file: no dialog") << std::vector<uint8_t>{} << element(-2) << QString();
        QTest::newRow("nothing selected: no dialog") << streamWithCrg() << element(-2) << QString();
        QTest::newRow("the file row: no dialog") << streamWithCrg() << FileItem{} << QString();
        QTest::newRow("SIZ") << streamWithCrg() << element(1) << described(0x51);
        QTest::newRow("SOT, code byte 0x90 passed as -112") << streamWithCrg() << element(5) << described(-112);
        QTest::newRow("a marker without a description") << streamWithCrg() << element(4) << "Ten marker nie ma opisu";
        QTest::newRow("data block") << streamWithCrg() << element(7) << "Nie ma opisu do danych";
        QTest::newRow("a box") << jp2File() << FileItem{ItemKind::Box, 3}
                               << QString::fromUtf8("Nie ma opisu do boksów");
    }
    void describeButtonShowsTheSelectedMarkersDescription()
    {
        QFETCH(std::vector<uint8_t>, file);
        QFETCH(FileItem, item);
        QFETCH(QString, text);
        TestWindow w;
        QVERIFY(file.empty() || w.open(file));
        if (item.id != -2)
            w.tree()->setCurrentIndex(w.model()->indexOf(item));
        QString shown;
        const bool opened = whileModal([&] { press(w, "describe"); }, [&](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QString("Opis markera"));
            shown = static_cast<CMarkerDescriptionDlg&>(dialog).text();
        });
        QCOMPARE(opened, !text.isEmpty());
        QCOMPARE(w.find<QPushButton>("describe")->isEnabled(), opened);
        QCOMPARE(shown, text);
        QVERIFY(!shown.contains('\r'));
    }

    void errorsButtonListsEveryCodeInListOrder_data()
    {
        QTest::addColumn<std::vector<uint8_t>>("stream");  // none: no file open, no dialog
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("no file: no dialog") << std::vector<uint8_t>{} << QStringList();
        QTest::newRow("clean: no rows, a line that says so")
            << cleanStream().bytes() << QStringList{QString::fromUtf8("W pliku nie ma błędów.")};
        QTest::newRow("raised code first, then recorded ones, the packet checks' last")
            << streamWithErrors()
            << QStringList{QString::fromUtf8("1001|Wiele markerów COD w nagłówku lub kaflu|0x0000006a"),
                           "1003|Dane za markerem EOC|0x0000008c",
                           QString::fromUtf8("12113|Parametry kodowania tile'a błędne lub niepełne: pakietów nie "
                                             "można odczytać|0x00000050")};
        QTest::newRow("fatal") << StreamBuilder().soc().segment(0x51, {0, 0}).eoc().bytes()
                               << QStringList{QString::fromUtf8(
                                      "5|Marker SIZ zbyt mały, brak niezbędnych danych.|0x00000002")};
    }
    void errorsButtonListsEveryCodeInListOrder()
    {
        QFETCH(std::vector<uint8_t>, stream);
        QFETCH(QStringList, rows);
        TestWindow w;
        QVERIFY(stream.empty() || w.open(stream));
        QStringList shown;
        const bool opened = whileModal([&] { press(w, "errors"); }, [&](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QString::fromUtf8("Błędy w strukturze"));
            const QAbstractItemModel* list = dialog.findChild<QAbstractItemView*>()->model();
            for (int r = -1; r < list->rowCount(); ++r) {
                QStringList cells;
                for (int column = 0; column < 3; ++column)
                    cells << (r < 0 ? list->headerData(column, Qt::Horizontal) : list->index(r, column).data())
                                 .toString();
                shown << cells.join('|');
            }
            for (QLabel* note : dialog.findChildren<QLabel*>())
                if (note->isVisible())
                    shown << note->text();
        });
        QCOMPARE(opened, !stream.empty());
        QCOMPARE(w.find<QPushButton>("errors")->isEnabled(), opened);
        QCOMPARE(shown, opened ? QStringList{QString::fromUtf8("Kod błędu|Opis błędu|Pozycja")} + rows : rows);
    }

    void choosingAnErrorSelectsTheElementOrBoxThatHoldsIt_data()
    {
        QTest::addColumn<std::vector<uint8_t>>("file");
        QTest::addColumn<int>("row");  // chosen by a double click; below 0: -row - 1 down arrows, then Enter
        QTest::addColumn<FileItem>("item");  // the file: nothing selected
        QTest::newRow("1001: the second COD, inside the tile-part header")
            << streamWithErrors() << 0 << FileItem{ItemKind::Element, 6};
        QTest::newRow("1003 by the keys: bytes after EOC, held by EOC")
            << streamWithErrors() << -3 << FileItem{ItemKind::Element, 9};
        QTest::newRow("Enter with no row chosen closes the dialog as OK does")
            << streamWithErrors() << -1 << FileItem{};
        QTest::newRow("20201: the image header box") << jp2WithError() << 0 << FileItem{ItemKind::Box, 3};
        QTest::newRow("a fatal fault: the part read before it is shown first")
            << StreamBuilder().soc().segment(0x51, {0, 0}).eoc().bytes() << 0 << FileItem{ItemKind::Element, 0};
    }
    void choosingAnErrorSelectsTheElementOrBoxThatHoldsIt()
    {
        QFETCH(std::vector<uint8_t>, file);
        QFETCH(int, row);
        QFETCH(FileItem, item);
        TestWindow w;
        QVERIFY(w.open(file));
        whileModal([&] { press(w, "errors"); }, [&](QDialog& dialog) {
            auto* list = dialog.findChild<QAbstractItemView*>();
            if (row >= 0) {
                doubleClickRow(list, row);
            } else {
                list->setFocus();
                for (int down = 0; down < -row - 1; ++down)
                    QTest::keyClick(list, Qt::Key_Down);
                QTest::keyClick(list, Qt::Key_Return);
            }
            QVERIFY(!dialog.isVisible());
        });
        QCOMPARE(w.current(), item);
        if (item.kind == ItemKind::File) {
            QVERIFY(!w.tree()->selectionModel()->hasSelection());
            return;
        }
        QVERIFY(w.tree()->isExpanded(w.tree()->currentIndex().parent()));
        const jpcAnalyzer& a = *w.document.getAnalyzer();
        QCOMPARE(w.detail(), QString::fromStdString(item.kind == ItemKind::Box ? a.buildBoxText(item.id)
                                                                                : a.buildElementText(item.id)));
    }
};

APP_TEST_SUITE(DialogsTest);
#include "dialogsTest.moc"
