// The structure tree's model: the tree shape the window shows (compared whole), a consistent item
// model, and the row of every element and box found again from its index.

#include "app/tree/structureModel.h"
#include "app/support/appSuite.h"
#include "app/support/testWindow.h"
#include "support/analysis.h"

#include <QAbstractItemModelTester>

namespace {

// Every row but the packets, indented by depth, with the element index it stands for (-1 the
// file), or # and the box's index in the box table.
QString dump(const StructureModel& model, const QModelIndex& parent = {}, int depth = 0)
{
    QString out;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        const FileItem item = model.itemOf(index);
        if (item.kind == ItemKind::Packet)
            continue;
        out += QString(2 * depth, ' ') + index.data().toString() + ' ' + (item.kind == ItemKind::Box ? "#" : "") +
               QString::number(item.id) + '\n';
        out += dump(model, index, depth + 1);
    }
    return out;
}

}  // namespace

class StructureModelTest : public QObject {
    Q_OBJECT
private slots:
    void treeShape_data()
    {
        QTest::addColumn<std::vector<uint8_t>>("stream");
        QTest::addColumn<QString>("tree");
        QTest::newRow("main header, two tile-parts, EOC")
            << cleanStream().bytes()
            << "JPC file -1\n  SOC 0\n    SIZ 1\n    COD 2\n    QCD 3\n  SOT 4\n    SOD 5\n    <dane> 6\n"
               "  SOT 7\n    SOD 8\n    <dane> 9\n  EOC 10\n";
        QTest::newRow("an unnamed marker under the current header")
            << StreamBuilder().mainHeader().segment(0x7F, {1, 2}).tilePart().eoc().bytes()
            << "JPC file -1\n  SOC 0\n    SIZ 1\n    COD 2\n    QCD 3\n    ff7f 4\n  SOT 5\n    SOD 6\n    <dane> 7\n"
               "  EOC 8\n";
        QTest::newRow("a marker before any SOC, SOT or EOC stands at the top level")
            << StreamBuilder().segment(0x64, {0, 1}).eoc().bytes() << "JPC file -1\nCOM 0\n  EOC 1\n";
        QTest::newRow("a JP2 file: superboxes hold their boxes, the codestream box its codestream")
            << jp2File()
            << "JP2 file -1\n  jP   #0\n  ftyp #1\n  jp2h #2\n    ihdr #3\n    colr #4\n  jp2c #5\n    SOC 0\n"
               "      SIZ 1\n      COD 2\n      QCD 3\n    SOT 4\n      SOD 5\n      <dane> 6\n    EOC 7\n  xml  #6\n";
        QTest::newRow("a marker before the codestream's SOC stands under its box")
            << BoxBuilder().jp2Head().codestream(StreamBuilder().marker(0x30).mainHeader().tilePart().eoc().bytes()).bytes()
            << "JP2 file -1\n  jP   #0\n  ftyp #1\n  jp2h #2\n    ihdr #3\n    colr #4\n  jp2c #5\n    ff30 0\n    SOC 1\n"
               "      SIZ 2\n      COD 3\n      QCD 4\n    SOT 5\n      SOD 6\n      <dane> 7\n    EOC 8\n";
    }
    void treeShape()
    {
        QFETCH(std::vector<uint8_t>, stream);
        QFETCH(QString, tree);
        const auto analyzer = analyze(stream);
        StructureModel model;
        model.reset(analyzer.get());
        // After the reset: the tester fills the data blocks' rows as it walks the tree.
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(dump(model), tree);
        for (int i = 0; i < int(analyzer->getMarkerOffsets().size()); ++i)
            QCOMPARE(model.itemOf(model.indexOf({ItemKind::Element, i})), (FileItem{ItemKind::Element, i}));
        for (int i = 0; i < int(analyzer->getBoxes().size()); ++i)
            QCOMPARE(model.itemOf(model.indexOf({ItemKind::Box, i})), (FileItem{ItemKind::Box, i}));
        QCOMPARE(model.itemOf(model.fileIndex()), FileItem{});
        model.reset(nullptr);
        QCOMPARE(model.rowCount(), 0);
    }
};

APP_TEST_SUITE(StructureModelTest);
#include "structureModelTest.moc"
