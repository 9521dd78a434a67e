// The two buttons and their dialogs: the description of the selected marker (or the note for data,
// or nothing), the error list with codes, messages and positions in list order, and the jump from
// an error to the element that holds its position.

#include "app/support/appSuite.h"
#include "app/support/testWindow.h"
#include "app/markerDescriptionDlg.h"
#include "engine/errorMessage.h"
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
        QTest::newRow("clean: no rows") << cleanStream().bytes();
        QTest::newRow("errors") << streamWithErrors();
        QTest::newRow("fatal: the fatal code first") << StreamBuilder().soc().segment(0x51, {0, 0}).eoc().bytes();
    }
    void errorsButtonListsEveryCodeInListOrder()
    {
        QFETCH(std::vector<uint8_t>, stream);
        TestWindow w;
        const ScratchFile file(stream);
        QVERIFY(w.open(file.path()));
        const jpcAnalyzer& a = *w.document.getAnalyzer();
        QStringList expected, shown;
        for (size_t i = 0; i < a.getErrorList().size(); ++i)
            expected << QStringLiteral("%1|%2|%3")
                            .arg(a.getErrorList()[i])
                            .arg(QString::fromStdString(errorMessage(a.getErrorList()[i])))
                            .arg(a.getErrorPositions()[i], 8, 16, QLatin1Char('0'));
        QVERIFY(whileModal([&] { press(w, "errors"); }, [&](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QString::fromUtf8("Błędy w strukturze"));
            const QAbstractItemModel* rows = dialog.findChild<QAbstractItemView*>()->model();
            QCOMPARE(rows->headerData(0, Qt::Horizontal).toString(), QString::fromUtf8("Kod błędu"));
            QCOMPARE(rows->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("Opis błędu"));
            QCOMPARE(rows->headerData(2, Qt::Horizontal).toString(), QString("Pozycja"));
            for (int r = 0; r < rows->rowCount(); ++r)
                shown << rows->index(r, 0).data().toString() + '|' + rows->index(r, 1).data().toString() + '|' +
                             rows->index(r, 2).data().toString();
        }));
        QCOMPARE(shown, expected);
    }

    void neitherDialogOpensWithoutAFile()
    {
        TestWindow w;
        QVERIFY(!whileModal([&] { press(w, "errors"); }));
        QVERIFY(!whileModal([&] { press(w, "describe"); }));
    }

    void doubleClickingAnErrorSelectsTheElementThatHoldsIt()
    {
        TestWindow w;
        const ScratchFile file(streamWithErrors());
        QVERIFY(w.open(file.path()));
        const jpcAnalyzer& a = *w.document.getAnalyzer();
        const auto& offsets = a.getMarkerOffsets();
        for (int row = 0; row < int(a.getErrorList().size()); ++row) {
            whileModal([&] { press(w, "errors"); }, [&](QDialog& dialog) {
                doubleClickRow(dialog.findChild<QAbstractItemView*>(), row);
                QVERIFY(!dialog.isVisible());
            });
            const uint64_t position = a.getErrorPositions()[row];
            const int element = w.model()->elementOf(w.tree()->currentIndex());
            QVERIFY(element >= 0);
            QVERIFY(offsets[element] <= position);
            QVERIFY(element + 1 == int(offsets.size()) || position < offsets[element + 1]);
            QVERIFY(w.tree()->isExpanded(w.tree()->currentIndex().parent()));
            QCOMPARE(w.detail(), QString::fromStdString(a.buildElementText(element)));
        }
        // 1001 at the second COD, inside the tile-part header.
        QCOMPARE(a.getErrorList().front(), 1001);
    }
};

APP_TEST_SUITE(DialogsTest);
#include "dialogsTest.moc"
