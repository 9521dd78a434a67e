#pragma once
// The main window over its document, as the program makes them, shown offscreen. Failures the
// document reports are collected instead of shown in a message box.

#include "app/dialogs/entryDlg.h"
#include "app/elidedLabel.h"
#include "app/hex/hexPane.h"
#include "app/mainFrame.h"
#include "app/packets/packetChecks.h"
#include "app/hex/offsetColumn.h"
#include "app/tree/structureModel.h"
#include "app/tarvik3Doc.h"
#include "app/tarvik3View.h"
#include "support/boxBuilder.h"
#include "support/packetStream.h"
#include "support/scratchFile.h"
#include "support/streamBuilder.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <functional>
#include <list>

struct TestWindow {
    std::list<ScratchFile> files;  // outlive the document that reads them
    Ctarvik3Doc document;
    CMainFrame frame{&document};
    QStringList failures;

    TestWindow()
    {
        document.setFailureReporter([this](const QString& message) { failures << message; });
        document.OnNewDocument();
        frame.show();
        frame.activateWindow();
        // The focus tests need an active window; the others run as well without one.
        (void)QTest::qWaitForWindowActive(&frame);
    }

    // Waits for the packet checks too: their outcome is part of what the window shows of a file.
    bool open(const std::string& path)
    {
        const bool opened = document.OnOpenDocument(QString::fromStdString(path));
        const auto* checks = frame.findChild<PacketChecks*>("packetChecks");
        (void)QTest::qWaitFor([&] { return checks->state() != PacketChecks::State::running; }, 30000);
        return opened;
    }
    bool open(const std::vector<uint8_t>& bytes) { return open(files.emplace_back(bytes).path()); }

    template <class Widget>
    Widget* find(const char* name) const
    {
        return frame.findChild<Widget*>(QString::fromLatin1(name));
    }
    QTreeView* tree() const { return find<QTreeView>("tree"); }
    StructureModel* model() const { return static_cast<StructureModel*>(tree()->model()); }
    HexPane* hex() const { return find<HexPane>("hex"); }
    OffsetColumn* offsets() const { return find<OffsetColumn>("offsets"); }
    QString verdict() const { return find<QLineEdit>("verdict")->text(); }
    QString detail() const { return find<QPlainTextEdit>("detail")->toPlainText(); }
    QString statusMessage() const { return find<ElidedLabel>("message")->fullText(); }

    // An element's row; the file row for -1.
    void select(int element) const
    {
        tree()->setCurrentIndex(model()->indexOf(element == -1 ? FileItem{} : FileItem{ItemKind::Element, element}));
    }
    FileItem current() const { return model()->itemOf(tree()->currentIndex()); }
    // The element of the current row; -1 for the file row and for boxes.
    int currentElement() const
    {
        const FileItem item = current();
        return item.kind == ItemKind::Element ? item.id : -1;
    }
    void selectFile() const { tree()->setCurrentIndex(model()->fileIndex()); }
};

// Runs the action; a modal dialog it opens is handed to `inspect` while open, then closed. Returns
// whether a dialog opened.
inline bool whileModal(const std::function<void()>& action, const std::function<void(QDialog&)>& inspect = {})
{
    bool opened = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        opened = true;
        if (inspect)
            inspect(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    timer.start(0);
    action();
    QCoreApplication::processEvents();
    return opened;
}

// A double click as the mouse makes it: a click, then the second press.
inline void doubleClickRow(QAbstractItemView* view, int row)
{
    const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

// Runs a command that opens an entry dialog, which gets the text and OK; returns why it refused it,
// as a screen reader reads it: the name of the label that shows it, and the description of the box.
inline QString enter(const std::function<void()>& command, const QString& text)
{
    QString refusal;
    whileModal(command, [&](QDialog& dialog) {
        auto& entry = static_cast<CEntryDlg&>(dialog);
        entry.setText(text);
        entry.accept();
        refusal = entry.refusal();
        for (QLabel* label : dialog.findChildren<QLabel*>())
            if (label->text() == refusal && !refusal.isEmpty())
                QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name), refusal);
        QCOMPARE(QAccessible::queryAccessibleInterface(dialog.findChild<QLineEdit*>())->text(QAccessible::Description),
                 refusal);
    });
    return refusal;
}

inline void press(const TestWindow& window, const char* button)
{
    window.find<QPushButton>(button)->click();
}

// SOC, SIZ, COD, QCD, two tile-parts of 16 and 40 bytes of data, EOC: a stream without a fault, its
// packets included: a code-block of 14 bytes in the first, one of 34 and four empty packets in the
// second (each code-block included, no zero bit-plane, one pass, its Lblock raised to 4 or 6).
inline StreamBuilder cleanStream()
{
    StreamBuilder b;
    b.mainHeader().beginTilePart(0, 0, 2).sod();
    b.raw(HeaderBits().bits(0b1110, 4).bits(0b10, 2).bits(14, 4).bytes()).fill(14).endTilePart();
    b.beginTilePart(0, 1, 2).sod();
    b.raw(HeaderBits().bits(0b1110, 4).bits(0b1110, 4).bits(34, 6).bits(0b00, 2).bytes()).fill(34).fill(4, 0x00);
    return b.endTilePart().eoc();
}

// Long enough for the hex pane to scroll: two tile-parts of 1,000 bytes of data, then EOC and three
// bytes after it (elements 0 to 10).
inline std::vector<uint8_t> longStream()
{
    return StreamBuilder().mainHeader().tilePart(0, 1000, 0, 2).tilePart(0, 1000, 1, 2).eoc().fill(3).bytes();
}

// A JP2 file: boxes jP 0-11, ftyp 12-31, jp2h 32-76 (ihdr 40-61, colr 62-76), jp2c 77-196 holding the
// minimal codestream from 85 (elements 0 to 7, EOC at 195), and xml 197-208 after it.
inline std::vector<uint8_t> jp2File()
{
    return BoxBuilder(minimalJp2()).box("xml ", {'<', 'a', '/', '>'}).bytes();
}
