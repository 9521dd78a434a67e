// The main window as a user meets it: start-up, opening files of every kind (clean, with errors,
// fatal, empty, and files that cannot be opened or analysed), reopening, dropping files, the status
// bar, and a form whose controls never overlap or cut their texts.

#include "app/support/appSuite.h"
#include "app/support/testWindow.h"
#include "app/tarvik3App.h"
#include "engine/jpcAnalyzer.h"
#include "present/verdict.h"

#include <QAction>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

#include <filesystem>
#include <sys/stat.h>

namespace {

QString captionOf(const std::string& path)
{
    const std::string name = path.empty() ? "Untitled" : std::filesystem::path(path).filename().string();
    return QString::fromStdString(name) + QString::fromUtf8(" - tarvik plików jpc");
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void openingShowsVerdictTreeAndPanes_data()
    {
        QTest::addColumn<std::vector<uint8_t>>("stream");
        QTest::addColumn<int>("status");  // -1: no engine
        QTest::newRow("clean") << cleanStream().bytes() << 0;
        QTest::newRow("errors: a second COD") << StreamBuilder().mainHeader().cod().tilePart().eoc().bytes() << 1;
        QTest::newRow("fatal, SIZ too short: the verdict line alone")
            << StreamBuilder().soc().segment(0x51, {0, 0, 0, 0}).eoc().bytes() << 2;
        QTest::newRow("empty file: nothing shown") << std::vector<uint8_t>{} << -1;
    }
    void openingShowsVerdictTreeAndPanes()
    {
        QFETCH(std::vector<uint8_t>, stream);
        QFETCH(int, status);
        TestWindow w;
        QVERIFY(w.open(cleanStream().bytes()));  // what must go
        QVERIFY(w.open(stream));
        QVERIFY(w.failures.isEmpty());
        QCOMPARE(w.frame.windowTitle(), captionOf(w.files.back().path()));
        QCOMPARE(w.verdict(), status < 0 ? QString() : QString::fromStdString(verdictText(status)));
        const bool shown = status == 0 || status == 1;
        QCOMPARE(w.model()->rowCount(), shown ? 1 : 0);
        QCOMPARE(w.hex()->characterCount(), shown ? stream.size() * 3 - 1 : 0);
        QCOMPARE(w.offsets()->characterCount(), shown ? (stream.size() + 7) / 8 * 10 : 0);
        QCOMPARE(w.detail(), shown ? QString::fromStdString(w.document.getAnalyzer()->buildElementText(-1)) : "");
        if (!shown)
            return;
        // The root expanded, its SOC, SOT and EOC collapsed; nothing selected, also once the tree
        // takes the focus (and with it a current item).
        const QModelIndex root = w.model()->fileIndex();
        QVERIFY(w.tree()->isExpanded(root));
        for (int row = 0; row < w.model()->rowCount(root); ++row)
            QVERIFY(!w.tree()->isExpanded(w.model()->index(row, 0, root)));
        w.find<QWidget>("detail")->setFocus();
        w.tree()->setFocus();
        QVERIFY(!w.tree()->selectionModel()->hasSelection());
        QVERIFY(w.hex()->markedRange().empty());
    }

    void failuresAreReportedAndLeaveASaneWindow_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("previousFileStays");
        QTest::newRow("missing") << "missing" << "%1 was not found." << true;
        QTest::newRow("directory") << "directory" << "Access to %1 was denied." << true;
        QTest::newRow("FIFO: refused, not waited on") << "fifo" << "Failed to open document." << true;
        QTest::newRow("no SIZ to read") << "sot first" << "Failed to open document." << false;
        QTest::newRow("4 GiB") << "4 GiB" << "Failed to open document." << false;
    }
    void failuresAreReportedAndLeaveASaneWindow()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QFETCH(bool, previousFileStays);
        TestWindow w;
        const ScratchFile previous(cleanStream().bytes());
        QVERIFY(w.open(previous.path()));
        const ScratchFile file(StreamBuilder().sot(14).sod().fill(2).eoc().bytes());
        std::string path = file.path();
        if (kind == "missing")
            path += ".missing";
        else if (kind == "directory")
            path = std::filesystem::temp_directory_path().string();
        else if (kind == "4 GiB")
            file.truncate(uint64_t{1} << 32);
        else if (kind == "fifo" && ::mkfifo((path += ".fifo").c_str(), 0600) != 0)
            QFAIL("no FIFO");

        const bool opened = w.open(path);
        if (kind == "fifo")
            std::filesystem::remove(path);
        QVERIFY(!opened);
        QCOMPARE(w.failures, QStringList{message.contains("%1") ? message.arg(QString::fromStdString(path)) : message});
        QCOMPARE(w.frame.windowTitle(), captionOf(previousFileStays ? previous.path() : ""));
        QCOMPARE(w.verdict(), previousFileStays ? QString::fromStdString(verdictText(0)) : QString());
        QCOMPARE(w.model()->rowCount(), previousFileStays ? 1 : 0);
        QCOMPARE(w.document.getAnalyzer() != nullptr, previousFileStays);
    }

    void startsEmptyOrWithTheFileOfTheCommandLine()
    {
        TestWindow w;  // started without a file
        QCOMPARE(w.frame.windowTitle(), captionOf({}));
        QCOMPARE(w.statusMessage(), QString("Ready"));
        QCOMPARE(w.verdict() + w.detail(), QString());
        QCOMPARE(w.model()->rowCount(), 0);
        QCOMPARE(w.hex()->characterCount() + w.offsets()->characterCount(), 0u);
        const ScratchFile file(cleanStream().bytes());
        QVERIFY(Ctarvik3App::ProcessShellCommand(w.document, QString::fromStdString(file.path())));
        QCOMPARE(w.frame.windowTitle(), captionOf(file.path()));
        QVERIFY(!Ctarvik3App::ProcessShellCommand(w.document, QString::fromStdString(file.path() + ".missing")));
        QCOMPARE(w.failures.size(), 1);
    }

    void reopeningTheOpenPathDoesNotAnalyseAgain()
    {
        TestWindow w;
        QVERIFY(w.open(cleanStream().bytes()));
        const jpcAnalyzer* first = w.document.getAnalyzer();
        w.select(1);
        const std::filesystem::path path(w.files.back().path());
        QVERIFY(w.open((path.parent_path() / "." / path.filename()).string()));
        QCOMPARE(w.document.getAnalyzer(), first);
        QCOMPARE(w.currentElement(), 1);
    }

    void droppingThreeFilesLeavesTheThird()
    {
        TestWindow w;
        const ScratchFile a(cleanStream().bytes()), b(cleanStream().fill(1).bytes()), c(cleanStream().bytes());
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(a.path())),
                      QUrl::fromLocalFile(QString::fromStdString(b.path())),
                      QUrl::fromLocalFile(QString::fromStdString(c.path()))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w.frame, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w.frame, &drop);
        QCOMPARE(w.failures, QStringList());
        QCOMPARE(w.frame.windowTitle(), captionOf(c.path()));
    }

    void statusBarMenuItemTogglesTheBarAndIsTickedWhileShown()
    {
        TestWindow w;
        QAction* toggle = nullptr;
        for (QAction* action : w.frame.findChildren<QAction*>())
            toggle = action->text() == "&Pasek stanu" ? action : toggle;
        QVERIFY(toggle && toggle->isChecked());
        for (const bool shown : {false, true}) {
            toggle->trigger();
            QCOMPARE(w.frame.statusBar()->isVisible(), shown);
            QCOMPARE(toggle->isChecked(), shown);
        }
    }

    void controlsNeverOverlapAndShowTheirTexts_data()
    {
        QTest::addColumn<QSize>("extra");
        QTest::newRow("the form's own size") << QSize(0, 0);
        QTest::newRow("enlarged: panes grow") << QSize(500, 300);
    }
    void controlsNeverOverlapAndShowTheirTexts()
    {
        QFETCH(QSize, extra);
        TestWindow w;
        const QSize treeAtFormSize = w.tree()->size();
        Ctarvik3View* view = w.frame.view();
        w.frame.resize(w.frame.size() + extra);
        QCoreApplication::processEvents();
        QCOMPARE(view->size(), view->formSize() + extra);
        QList<QWidget*> controls = view->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        QCOMPARE(controls.size(), 11);
        controls.removeIf([view](QWidget* control) { return !control->isVisibleTo(view); });
        for (QWidget* a : controls) {
            QVERIFY(view->rect().contains(a->geometry()));
            for (QWidget* b : controls)
                QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                         qPrintable(a->objectName() + b->objectName()));
        }
        for (QLabel* heading : view->findChildren<QLabel*>())
            QVERIFY2(heading->fontMetrics().horizontalAdvance(heading->text()) <= heading->width(),
                     qPrintable(heading->text()));
        // A line of eight pairs shows whole beside its offset, both panes of one height.
        QVERIFY(w.hex()->width() >= w.hex()->widthFor(HexGeometry::digitsPerLine));
        QVERIFY(w.offsets()->width() >= w.offsets()->widthFor(HexGeometry::offsetCharsPerLine - 1));
        QCOMPARE(w.offsets()->geometry().top(), w.hex()->geometry().top());
        QCOMPARE(w.offsets()->height(), w.hex()->height());
        QCOMPARE(w.tree()->size() - treeAtFormSize, QSize(extra.width() / 3, extra.height()));
    }
};

APP_TEST_SUITE(MainWindowTest);
#include "mainWindowTest.moc"
