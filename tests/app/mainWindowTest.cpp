// The main window as a user meets it: start-up, opening files of every kind (clean, with errors,
// fatal, empty, and files that cannot be opened or analysed), the open dialog, reopening, dropping
// files, the status bar, the keys, and a form that fits its screen and keeps every control in view
// at any size, without overlaps or cut texts.

#include "app/layout/formLayout.h"
#include "app/preview/previewPane.h"
#include "app/support/appSuite.h"
#include "app/support/testWindow.h"
#include "app/tarvik3App.h"
#include "engine/jpcAnalyzer.h"
#include "present/verdict.h"

#include <QAction>
#include <QDockWidget>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollArea>
#include <QUrl>

#include <filesystem>
#include <iostream>
#include <sstream>
#include <sys/stat.h>

namespace {

QString captionOf(const std::string& path)
{
    const std::string name = path.empty() ? "Untitled" : std::filesystem::path(path).filename().string();
    return QString::fromStdString(name) + QString::fromUtf8(" - tarvik plików jpc");
}

QAction* actionOf(const TestWindow& w, const QString& text)
{
    for (QAction* action : w.frame.findChildren<QAction*>())
        if (action->text() == text)
            return action;
    return nullptr;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void openingShowsVerdictTreeAndPanes_data()
    {
        QTest::addColumn<std::vector<uint8_t>>("stream");
        QTest::addColumn<int>("status");  // -1: no engine, an empty file
        QTest::addColumn<int>("hue");  // of the verdict line; -1: none
        QTest::newRow("clean, on green") << cleanStream().bytes() << 0 << 120;
        QTest::newRow("errors: a second COD, on amber")
            << StreamBuilder().mainHeader().cod().tilePart().eoc().bytes() << 1 << 43;
        QTest::newRow("fatal, SIZ too short: the verdict line alone, on red")
            << StreamBuilder().soc().segment(0x51, {0, 0, 0, 0}).eoc().bytes() << 2 << 0;
        QTest::newRow("empty file: said to be empty, nothing else") << std::vector<uint8_t>{} << -1 << -1;
    }
    void openingShowsVerdictTreeAndPanes()
    {
        QFETCH(std::vector<uint8_t>, stream);
        QFETCH(int, status);
        QFETCH(int, hue);
        TestWindow w;
        QVERIFY(w.open(cleanStream().bytes()));  // what must go
        QVERIFY(w.open(stream));
        QVERIFY(w.failures.isEmpty());
        QCOMPARE(w.frame.windowTitle(), captionOf(w.files.back().path()));
        QCOMPARE(w.verdict(), status < 0 ? QString::fromUtf8("Plik jest pusty (0 B).")
                                         : QString::fromStdString(verdictText(status)));
        // Light under black text, so that the words read as well without the colour.
        const QPalette verdict = w.find<QLineEdit>("verdict")->palette();
        QVERIFY(qAbs(verdict.color(QPalette::Base).hue() - hue) < 10);
        QVERIFY(hue < 0 || (verdict.color(QPalette::Base).lightnessF() > 0.7 && verdict.color(QPalette::Text) == Qt::black));
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
        QTest::newRow("directory: said to be one") << "directory" << "%1 jest katalogiem, a nie plikiem." << true;
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
        // A file that cannot be opened ends the program: standard error says why.
        std::ostringstream err;
        std::streambuf* const cerr = std::cerr.rdbuf(err.rdbuf());
        const bool opened = Ctarvik3App::ProcessShellCommand(w.document, QString::fromStdString(file.path() + ".missing"));
        std::cerr.rdbuf(cerr);
        QVERIFY(!opened);
        QCOMPARE(w.failures.size(), 1);
        QCOMPARE(QString::fromStdString(err.str()), "tarvik3: " + w.failures.first() + "\n");
    }

    void openDialogListsAllJpeg2000FilesFirstInTheFilesFolder()
    {
        TestWindow w;
        const ScratchFile file(cleanStream().bytes());
        const QString folder = QFileInfo(QString::fromStdString(file.path())).absolutePath();
        QStringList shown;
        const auto dialogShows = [&] {
            whileModal([&] { actionOf(w, QString::fromUtf8("&Otwórz..."))->trigger(); }, [&](QDialog& dialog) {
                const auto& files = static_cast<QFileDialog&>(dialog);
                shown = QStringList{files.directory().absolutePath()} + files.nameFilters().mid(0, 2);
            });
            return shown;
        };
        const QStringList filters{"Pliki JPEG 2000 (*.jpc *.j2k *.j2c *.jpf *.jp2 *.jph *.jpx)", "Pliki jpc (*.jpc)"};
        QVERIFY(w.open(file.path()));
        QCOMPARE(dialogShows(), QStringList{folder} + filters);
        w.document.OnNewDocument();  // no file open: the folder of the last one
        QCOMPARE(dialogShows(), QStringList{folder} + filters);
    }

    void tabReachesEveryControlAndAltKeysAreUnique()
    {
        TestWindow w;
        QVERIFY(w.open(cleanStream().bytes()));
        // While the preview decodes, its stop button stands in the chain too.
        QVERIFY(QTest::qWaitFor([&] { return !w.frame.view()->previewPane()->isDecoding(); }, 20000));
        w.tree()->setFocus();
        w.select(1);
        QStringList order;
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order, QStringList({"hex", "detail", "describe", "errors", "verdict", "picture", "tree"}));
        QTest::mouseClick(w.hex()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(QApplication::focusWidget(), w.hex());

        QStringList keys;
        for (QAction* menu : w.frame.menuBar()->actions())
            keys << QKeySequence::mnemonic(menu->text()).toString();
        for (QPushButton* button : w.frame.findChildren<QPushButton*>())
            keys << QKeySequence::mnemonic(button->text()).toString();
        keys.removeAll(QString());
        QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
        QCOMPARE(QKeySequence::mnemonic(w.find<QPushButton>("errors")->text()).toString(), "Alt+B");
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
        QAction* toggle = actionOf(w, "&Pasek stanu");
        QVERIFY(toggle && toggle->isChecked());
        for (const bool shown : {false, true}) {
            toggle->trigger();
            QCOMPARE(w.frame.statusBar()->isVisible(), shown);
            QCOMPARE(toggle->isChecked(), shown);
        }
    }

    void controlsStayInViewAtAnySize_data()
    {
        QTest::addColumn<QSize>("size");  // of the window; empty: as it opens
        QTest::addColumn<int>("bytesPerLine");
        QTest::addColumn<bool>("preview");
        QTest::newRow("as it opens") << QSize() << 8 << true;
        QTest::newRow("500 × 300 without the preview: all of the form, no scroll bars round it")
            << QSize(500, 300) << 8 << false;
        QTest::newRow("large, 16 bytes a line") << QSize(1600, 1000) << 16 << true;
    }
    void controlsStayInViewAtAnySize()
    {
        QFETCH(QSize, size);
        QFETCH(int, bytesPerLine);
        QFETCH(bool, preview);
        TestWindow w;
        QVERIFY(w.open(cleanStream().bytes()));
        w.select(1);
        w.find<QDockWidget>("previewDock")->setVisible(preview);
        QCoreApplication::processEvents();
        Ctarvik3View* view = w.frame.view();
        view->setBytesPerLine(bytesPerLine);
        if (!size.isEmpty())
            w.frame.resize(size);
        QCoreApplication::processEvents();
        QCOMPARE(w.frame.size(), size.isEmpty() ? w.frame.size() : size);
        QVERIFY(w.frame.findChildren<QScrollArea*>().isEmpty());
        QList<QRect> taken;
        for (const char* name : {"verdict", "tree", "offsets", "hex", "detail", "describe", "errors"}) {
            auto* control = w.find<QWidget>(name);
            const QRect rect(control->mapTo(view, QPoint()), control->size());
            QVERIFY2(control->isVisible() && view->rect().contains(rect) && rect.width() > 20, name);
            for (const QRect& other : taken)
                QVERIFY2(!rect.intersects(other), name);
            taken << rect;
        }
        for (QLabel* heading : view->findChildren<QLabel*>())
            QVERIFY2(heading->height() >= heading->heightForWidth(heading->width()), qPrintable(heading->text()));
        // A whole line of bytes shows beside its offset, both panes of one height.
        QVERIFY(w.hex()->width() >= w.hex()->widthFor(int(w.hex()->hexGeometry().digitsPerLine())));
        QVERIFY(w.offsets()->width() >= w.offsets()->widthFor(HexGeometry::offsetCharsPerLine - 1));
        QCOMPARE(w.offsets()->geometry().top(), w.hex()->geometry().top());
        QCOMPARE(w.offsets()->height(), w.hex()->height());
        QCOMPARE(w.offsets()->textOf({10, 19}), bytesPerLine == 8 ? "00000008:" : "00000010:");
    }

    void windowOpensAtTheFormsProportionsSharedAsTheFormShares()
    {
        // A form of 724 × 430 that needs at least 480 × 300: two thirds across, or down, of the screen.
        QCOMPARE(initialFrameSize({724, 430}, {480, 300}, {1600, 1200}), QSize(1067, 634));
        QCOMPARE(initialFrameSize({724, 430}, {480, 300}, {1920, 1080}), QSize(1212, 720));
        // Beside bytes of 300 the tree and the detail pane share as 68 to 135, above their least.
        QCOMPARE(sharedWidths(1000, 300, 50, 90).tree, 234);
        QCOMPARE(sharedWidths(420, 300, 50, 90).tree, 50);
    }
};

APP_TEST_SUITE(MainWindowTest);
#include "mainWindowTest.moc"
