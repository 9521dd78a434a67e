// The workbench's commands of the analysis view: go to an offset, find bytes, step through the
// faults, copy, and show what the walk read of a fatally broken file.

#include "app/hex/byteSearch.h"
#include "app/dialogs/entryDlg.h"
#include "app/dialogs/entryParsing.h"
#include "app/numberText.h"
#include "app/hex/hexPane.h"
#include "app/tree/structureModel.h"
#include "app/tarvik3Doc.h"
#include "app/tarvik3View.h"
#include "engine/errorMessage.h"
#include "engine/jpcAnalyzer.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTreeView>

namespace {

// More than this is not put on the clipboard: its hex text would take three times as much.
constexpr uint64_t maxCopiedBytes = uint64_t{16} << 20;
// Positions a search looks at between two looks at the window.
constexpr uint64_t searchStep = uint64_t{8} << 20;
// A search that has not ended after this long shows its progress and can be stopped.
constexpr qint64 quietSearchMs = 300;

}  // namespace

bool Ctarvik3View::showsBytes() const { return m_pDocument->getAnalyzer() && m_hex->characterCount() > 0; }

bool Ctarvik3View::canShowReadPart() const
{
    const jpcAnalyzer* analyzer = m_pDocument->getAnalyzer();
    return analyzer && analyzer->getStatus() == jpcAnalyzer::statusFatal && !m_bReadPartShown;
}

std::optional<Ctarvik3View::CursorFacts> Ctarvik3View::cursorFacts() const
{
    const jpcAnalyzer* analyzer = m_pDocument->getAnalyzer();
    if (!showsBytes())
        return std::nullopt;
    const ByteRange marked = m_hex->markedRange();
    const FileItem item = itemAt(*analyzer, m_hex->cursor());
    // The packet, when the data block's packets are read.
    const auto packet = item.kind == ItemKind::Element ? m_model->packetAt(item.id, m_hex->cursor()) : std::nullopt;
    return CursorFacts{m_hex->cursor(), marked.end - marked.begin,
                       packet ? m_model->indexOf(*packet).data().toString()
                              : QString::fromStdString(itemLabel(*analyzer, item)),
                       analyzer->getFileSize()};
}

void Ctarvik3View::jumpTo(uint64_t offset)
{
    const FileItem item = itemAtByte(offset);
    m_hex->setCursor(offset);
    markItem(item);
    m_hex->scrollToLine(static_cast<qint64>(m_hex->hexGeometry().lineOf(offset)));
    followInTree(item);
    followField(offset);
}

void Ctarvik3View::OnGoToOffset()
{
    if (!showsBytes())
        return;
    const uint64_t size = m_pDocument->getAnalyzer()->getFileSize();
    CEntryDlg dialog(QString::fromUtf8("Przejdź do pozycji"),
                     QString::fromUtf8("Pozycja w pliku, dziesiętnie lub szesnastkowo z 0x:"),
                     [size](const QString& text) { return parseOffset(text, size).error; }, this);
    dialog.setText(hexOffsetText(m_hex->cursor()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    jumpTo(*parseOffset(dialog.text(), size).value);
    m_hex->setFocus();
}

void Ctarvik3View::OnFindBytes()
{
    if (!showsBytes())
        return;
    CEntryDlg dialog(QString::fromUtf8("Znajdź bajty"),
                     QString::fromUtf8("Bajty szesnastkowo, np. ff 90 lub FF90 (od pozycji kursora):"),
                     [](const QString& text) { return parseHexBytes(text).error; }, this);
    dialog.setText(hexBytesText(m_findPattern));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::vector<uint8_t> pattern = *parseHexBytes(dialog.text()).value;
    // The same bytes again from the hit just shown go on to the next one, as F3 does.
    const bool again = pattern == m_findPattern && m_lastHit == m_hex->cursor();
    m_findPattern = pattern;
    findFrom(m_hex->cursor() + (again ? 1 : 0), true);
    m_hex->setFocus();
}

void Ctarvik3View::OnFindNext()
{
    if (m_findPattern.empty())
        return OnFindBytes();
    if (showsBytes())
        findFrom(m_hex->cursor() + 1, true);
}

void Ctarvik3View::OnFindPrevious()
{
    if (m_findPattern.empty())
        return OnFindBytes();
    const uint64_t at = m_hex->cursor();
    // Before the first byte stands the last one: the search goes round.
    if (showsBytes())
        findFrom(at > 0 ? at - 1 : UINT64_MAX, false);
}

void Ctarvik3View::findFrom(uint64_t from, bool forward)
{
    const jpcAnalyzer* analyzer = m_pDocument->getAnalyzer();
    ByteSearch search(analyzer->getFileImage(), m_findPattern, from,
                      forward ? ByteSearch::Direction::forward : ByteSearch::Direction::backward);
    runSearch(search);
    const QString pattern = hexBytesText(m_findPattern);
    switch (search.state()) {
    case ByteSearch::State::found: {
        const uint64_t hit = search.hit();
        m_lastHit = hit;
        m_hex->setCursor(hit);
        m_hex->markRange({hit, hit + search.patternSize()});
        m_hex->showByte(hit);
        followInTree(itemAtByte(hit));
        followField(hit);
        QString message = QString::fromUtf8("Znaleziono %1 pod %2 (%3).").arg(pattern, hexOffsetText(hit), groupedNumber(hit));
        if (search.wrapped())
            message += forward ? QString::fromUtf8(" Szukanie przeszło przez koniec pliku.")
                               : QString::fromUtf8(" Szukanie przeszło przez początek pliku.");
        emit statusMessage(message);
        break;
    }
    case ByteSearch::State::notFound:
        emit statusMessage(QString::fromUtf8("Nie znaleziono bajtów %1.").arg(pattern));
        break;
    case ByteSearch::State::unreadable:
        emit fileChangedOnDisk();
        emit statusMessage(QString::fromUtf8("Szukanie przerwane: plik nie ma już wszystkich bajtów."));
        break;
    case ByteSearch::State::searching:
        emit statusMessage(QString::fromUtf8("Szukanie przerwane."));
        break;
    }
}

// On the window's own thread, as the engine is not for several threads: between steps the window
// paints and takes the stop.
void Ctarvik3View::runSearch(ByteSearch& search)
{
    QElapsedTimer clock;
    clock.start();
    const jpcAnalyzer* analyzer = m_pDocument->getAnalyzer();
    std::unique_ptr<QProgressDialog> progress;
    while (search.step(searchStep) == ByteSearch::State::searching) {
        if (!progress) {
            if (clock.elapsed() < quietSearchMs)
                continue;
            progress = std::make_unique<QProgressDialog>(QString::fromUtf8("Szukanie bajtów..."),
                                                         QString::fromUtf8("Przerwij"), 0, 1000, this);
            progress->setWindowTitle(QString::fromUtf8("Znajdź bajty"));
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(0);
        }
        progress->setValue(static_cast<int>(search.searched() * 1000 / search.positions()));
        // The engine must still be the one searched: nothing may close the file meanwhile.
        if (progress->wasCanceled() || m_pDocument->getAnalyzer() != analyzer)
            return;
    }
}

void Ctarvik3View::OnNextFault() { stepFault(true); }

void Ctarvik3View::OnPreviousFault() { stepFault(false); }

// From the fault the last step showed, or else from the cursor, to the next or previous one in file
// order; a fault at the cursor that was not shown yet counts as the next.
void Ctarvik3View::stepFault(bool forward)
{
    if (!showsBytes())
        return;
    const jpcAnalyzer& analyzer = *m_pDocument->getAnalyzer();
    if (m_faults.empty()) {
        emit statusMessage(QString::fromUtf8("W pliku nie ma błędów."));
        return;
    }
    const uint64_t last = analyzer.getFileSize() - 1;
    const auto positionOf = [&](int step) { return std::min(m_faults[step].position, last); };
    const auto count = static_cast<int>(m_faults.size());
    const uint64_t at = m_hex->cursor();
    int next = -1;
    if (m_nFault >= 0 && positionOf(m_nFault) == at) {
        next = m_nFault + (forward ? 1 : -1);
    } else if (forward) {
        for (next = 0; next < count && positionOf(next) < at;)
            ++next;
    } else {
        for (next = count - 1; next >= 0 && positionOf(next) >= at;)
            --next;
    }
    if (next < 0 || next >= count) {
        emit statusMessage(forward ? QString::fromUtf8("Nie ma dalszych błędów.")
                                   : QString::fromUtf8("Nie ma wcześniejszych błędów."));
        return;
    }
    m_nFault = next;
    const uint64_t position = positionOf(next);
    jumpTo(position);
    const int code = m_faults[next].code;
    emit statusMessage(QString::fromUtf8("Błąd %1 z %2 (%3): %4 – %5")
                           .arg(next + 1)
                           .arg(count)
                           .arg(hexOffsetText(position))
                           .arg(code)
                           .arg(QString::fromStdString(errorMessage(code))));
}

// What Ctrl+C copies follows the focus: the marked bytes as the hex pane shows them, the text of
// the element selected in the tree; the text panes copy their own selection.
void Ctarvik3View::OnEditCopy()
{
    QWidget* focus = QApplication::focusWidget();
    if (focus == m_detail) {
        m_detail->copy();
    } else if (focus == m_verdict) {
        m_verdict->copy();
    } else if (focus == m_tree && selectedItem().isValid()) {
        QApplication::clipboard()->setText(m_detail->toPlainText());
    } else if (focus == m_hex && showsBytes()) {
        const ByteRange marked = m_hex->markedRange();
        if (marked.empty())
            return;
        if (marked.end - marked.begin > maxCopiedBytes) {
            emit statusMessage(QString::fromUtf8("Zaznaczono %1 B, a skopiować można najwyżej 16 MiB; "
                                                 "nic nie skopiowano.")
                                   .arg(groupedNumber(marked.end - marked.begin)));
            return;
        }
        const auto text = m_hex->hexText(marked);
        if (!text) {
            emit fileChangedOnDisk();
            emit statusMessage(QString::fromUtf8("Nie skopiowano: plik nie ma już wszystkich zaznaczonych bajtów."));
            return;
        }
        QApplication::clipboard()->setText(QString::fromLatin1(*text));
        emit statusMessage(QString::fromUtf8("Skopiowano %1 B.").arg(groupedNumber(marked.end - marked.begin)));
    }
}

// The elements the walk entered before the fatal fault, the whole file's bytes, and the element
// that holds the fault selected; the verdict says that only that part is shown.
void Ctarvik3View::OnShowReadPart()
{
    if (!canShowReadPart())
        return;
    const jpcAnalyzer& analyzer = *m_pDocument->getAnalyzer();
    m_bReadPartShown = true;
    m_readPart->hide();
    showVerdict(QString::fromUtf8("Poważne błędy w strukturze pliku. Pokazano tylko część odczytaną przed błędem "
                                  "krytycznym."),
                jpcAnalyzer::statusFatal);
    showContents(analyzer);
    const auto& codes = analyzer.getErrorList();
    const auto fatal = std::find_if(codes.begin(), codes.end(), isFatalCode);
    const uint64_t position =
        fatal == codes.end() ? 0 : analyzer.getErrorPositions()[static_cast<size_t>(fatal - codes.begin())];
    selectItemAt(position);
    const uint64_t cursor = std::min<uint64_t>(position, analyzer.getFileSize() - 1);
    m_hex->setCursor(cursor);
    m_hex->showByte(cursor);
}
