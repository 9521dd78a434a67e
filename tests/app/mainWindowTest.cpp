// The main window as a user meets it: start-up, opening files of every kind (clean, with errors,
// fatal, empty, and files that cannot be opened or analysed), reopening, dropping files, the status
// bar, and a form whose controls never overlap or cut their texts.

#include "app/dialogUnits.h"
#include "app/formLayout.h"
#include "app/support/appSuite.h"
#include "app/support/testWindow.h"
#include "app/tarvik3App.h"
#include "engine/jpcAnalyzer.h"
#include "present/verdict.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>

#include <filesystem>

namespace {

const QString untitledCaption = QString::fromUtf8("Untitled - tarvik plików jpc");

QString captionOf(const ScratchFile& file)
{
    return QString::fromStdString(std::filesystem::path(file.path()).filename().string()) +
           QString::fromUtf8(" - tarvik plików jpc");
}

std::vector<uint8_t> erroneousStream()
{
    // A second COD in the main header: 1001, not fatal.
    return StreamBuilder().mainHeader().cod().tilePart().eoc().bytes();
}

std::vector<uint8_t> fatalStream()
{
    // SIZ too short to hold its fields: 5, fatal.
    return StreamBuilder().soc().segment(0x51, {0, 0, 0, 0}).eoc().bytes();
}

QAction* statusBarAction(const CMainFrame& frame)
{
    for (QAction* menu : frame.menuBar()->actions())
        for (QAction* item : menu->menu()->actions())
            if (item->text() == "&Pasek stanu")
                return item;
    return nullptr;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void startsUntitledAndEmptyWithReady()
    {
        TestWindow w;
        QCOMPARE(w.frame.windowTitle(), untitledCaption);
        QCOMPARE(w.statusMessage(), QString("Ready"));
        QCOMPARE(w.verdict(), QString());
        QCOMPARE(w.model()->rowCount(), 0);
        QCOMPARE(w.hex()->characterCount(), 0u);
        QCOMPARE(w.offsets()->characterCount(), 0u);
        QCOMPARE(w.detail(), QString());
    }

    void openingShowsVerdictTreeAndPanes_data()
    {
        QTest::addColumn<std::vector<uint8_t>>("stream");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("topLevelRows");
        QTest::newRow("clean") << cleanStream().bytes() << 0 << 1;
        QTest::newRow("errors") << erroneousStream() << 1 << 1;
        QTest::newRow("fatal: the verdict line alone") << fatalStream() << 2 << 0;
        QTest::newRow("empty file: no engine, nothing shown") << std::vector<uint8_t>{} << -1 << 0;
    }
    void openingShowsVerdictTreeAndPanes()
    {
        QFETCH(std::vector<uint8_t>, stream);
        QFETCH(int, status);
        QFETCH(int, topLevelRows);
        TestWindow w;
        QVERIFY(w.open(ScratchFile(cleanStream().bytes()).path()));
        const ScratchFile file(stream);
        QVERIFY(w.open(file.path()));
        QVERIFY(w.failures.isEmpty());
        QCOMPARE(w.frame.windowTitle(), captionOf(file));
        QCOMPARE(w.verdict(), status < 0 ? QString() : QString::fromStdString(verdictText(status)));
        QCOMPARE(w.model()->rowCount(), topLevelRows);
        const bool shown = topLevelRows > 0;
        QCOMPARE(w.hex()->characterCount(), shown ? stream.size() * 3 - 1 : 0);
        QCOMPARE(w.offsets()->characterCount(), shown ? (stream.size() + 7) / 8 * 10 : 0);
        if (!shown) {
            QCOMPARE(w.detail(), QString());
            return;
        }
        QCOMPARE(w.detail(), QString::fromStdString(w.document.getAnalyzer()->buildElementText(-1)));
        // The root is expanded, its SOC, SOT and EOC children collapsed; nothing is selected.
        const QModelIndex root = w.model()->fileIndex();
        QVERIFY(w.tree()->isExpanded(root));
        for (int row = 0; row < w.model()->rowCount(root); ++row)
            QVERIFY(!w.tree()->isExpanded(w.model()->index(row, 0, root)));
        // Nothing is selected, also once the tree takes the focus (and with it a current item).
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

        QVERIFY(!w.open(path));
        if (message.contains("%1"))
            message = message.arg(QString::fromStdString(path));
        QCOMPARE(w.failures, QStringList{message});
        if (previousFileStays) {
            QCOMPARE(w.frame.windowTitle(), captionOf(previous));
            QCOMPARE(w.verdict(), QString::fromStdString(verdictText(0)));
            QCOMPARE(w.model()->rowCount(), 1);
        } else {
            QCOMPARE(w.frame.windowTitle(), untitledCaption);
            QVERIFY(!w.document.getAnalyzer());
            QCOMPARE(w.verdict(), QString());
            QCOMPARE(w.model()->rowCount(), 0);
            QCOMPARE(w.hex()->characterCount(), 0u);
        }
    }

    void commandLineOpensTheFileOrFailsTheStart()
    {
        TestWindow w;
        const ScratchFile file(cleanStream().bytes());
        QVERIFY(Ctarvik3App::ProcessShellCommand(w.document, QString::fromStdString(file.path())));
        QCOMPARE(w.frame.windowTitle(), captionOf(file));
        QVERIFY(Ctarvik3App::ProcessShellCommand(w.document, QString()));
        QCOMPARE(w.frame.windowTitle(), untitledCaption);
        QVERIFY(!Ctarvik3App::ProcessShellCommand(w.document, QString::fromStdString(file.path() + ".missing")));
        QCOMPARE(w.failures.size(), 1);
    }

    void reopeningTheOpenPathDoesNotAnalyseAgain()
    {
        TestWindow w;
        const ScratchFile file(cleanStream().bytes());
        QVERIFY(w.open(file.path()));
        const jpcAnalyzer* first = w.document.getAnalyzer();
        w.select(1);
        const std::filesystem::path path(file.path());
        QVERIFY(w.open((path.parent_path() / "." / path.filename()).string()));
        QCOMPARE(w.document.getAnalyzer(), first);
        QCOMPARE(w.model()->elementOf(w.tree()->currentIndex()), 1);
    }

    void droppingThreeFilesLeavesTheThird()
    {
        TestWindow w;
        const ScratchFile a(cleanStream().bytes()), b(erroneousStream()), c(cleanStream().bytes());
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
        QCOMPARE(w.frame.windowTitle(), captionOf(c));
        QCOMPARE(w.document.GetPathName(), QString::fromStdString(c.path()));
    }

    void statusBarMenuItemTogglesTheBarAndIsTickedWhileShown()
    {
        TestWindow w;
        QAction* toggle = statusBarAction(w.frame);
        QVERIFY(toggle && toggle->isChecked());
        toggle->trigger();
        QVERIFY(!w.frame.statusBar()->isVisible());
        QVERIFY(!toggle->isChecked());
        toggle->trigger();
        QVERIFY(w.frame.statusBar()->isVisible());
        QVERIFY(toggle->isChecked());
    }

    void controlsNeverOverlapAndShowTheirTexts_data()
    {
        QTest::addColumn<QSize>("extra");
        QTest::newRow("the form's own size") << QSize(0, 0);
        QTest::newRow("enlarged") << QSize(500, 300);
    }
    void controlsNeverOverlapAndShowTheirTexts()
    {
        QFETCH(QSize, extra);
        TestWindow w;
        const ScratchFile file(cleanStream().bytes());
        QVERIFY(w.open(file.path()));
        Ctarvik3View* view = w.frame.view();
        w.frame.resize(w.frame.size() + extra);
        QCoreApplication::processEvents();
        QCOMPARE(view->size(), view->formSize() + extra);
        QList<QWidget*> controls;
        for (QWidget* child : view->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            controls << child;
        QCOMPARE(controls.size(), 10);
        for (int i = 0; i < controls.size(); ++i) {
            QVERIFY(view->rect().contains(controls[i]->geometry()));
            for (int j = i + 1; j < controls.size(); ++j)
                QVERIFY2(!controls[i]->geometry().intersects(controls[j]->geometry()),
                         qPrintable(controls[i]->objectName() + " / " + controls[j]->objectName()));
        }
        for (QLabel* heading : view->findChildren<QLabel*>())
            QVERIFY2(heading->fontMetrics().horizontalAdvance(heading->text()) <= heading->width(),
                     qPrintable(heading->text()));
        // A whole line of eight pairs shows, unwrapped, beside its offset.
        QVERIFY(w.hex()->viewport()->width() >= w.hex()->characterRect(22).right());
        QCOMPARE(w.offsets()->geometry().top(), w.hex()->geometry().top());
        QCOMPARE(w.offsets()->visibleLines(), w.hex()->visibleLines());
        if (!extra.isEmpty()) {
            const FormRects form = formRects(DialogUnits(view->font()), {}, 0, 0);
            QVERIFY(w.tree()->width() > form.tree.width());
            QVERIFY(w.hex()->height() > form.hex.height());
        }
    }
};

APP_TEST_SUITE(MainWindowTest);
#include "mainWindowTest.moc"
