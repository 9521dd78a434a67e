#include "app/mainFrame.h"

#include "app/dialogs/aboutDlg.h"
#include "app/elidedLabel.h"
#include "app/layout/formLayout.h"
#include "app/numberText.h"
#include "app/lockKeys.h"
#include "app/preview/previewPane.h"
#include "app/tarvik3Doc.h"
#include "app/tarvik3View.h"

#include <QActionGroup>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <tuple>

namespace {

const char* const frameTitle = "tarvik plików jpc";
const char* const idleMessage = "Ready";
// All that the viewer reads first, then the filter of a jpc document and the narrower ones.
const char* const openFilters = "Pliki JPEG 2000 (*.jpc *.j2k *.j2c *.jpf *.jp2 *.jph *.jpx);;"
                                "Pliki jpc (*.jpc);;"
                                "Strumienie JPEG 2000 (*.jpc *.j2k *.j2c);;"
                                "Pliki JP2 (*.jp2 *.jph *.jpx *.jpf);;"
                                "All Files (*)";

QString offsetFact(uint64_t offset) { return QStringLiteral("%1 (%2)").arg(hexOffsetText(offset), groupedNumber(offset)); }

QString bytesFact(uint64_t count) { return QStringLiteral("%1 B").arg(groupedNumber(count)); }

// Wide enough for every value of the file, so that the panes keep their width as the cursor moves.
void showFact(QLabel* pane, const QString& text, const QString& widest)
{
    pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(widest) + 12);
    pane->setText(text);
}

// A sunken pane at the right of the status bar, after those added before it.
QLabel* addStatusPane(QStatusBar* bar)
{
    auto* pane = new QLabel;
    pane->setFrameShape(QFrame::Panel);
    pane->setFrameShadow(QFrame::Sunken);
    pane->setAlignment(Qt::AlignCenter);
    bar->addPermanentWidget(pane);
    return pane;
}

QStringList localFiles(const QMimeData* mime)
{
    QStringList paths;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

}  // namespace

CMainFrame::CMainFrame(Ctarvik3Doc* document, QWidget* parent)
    : QMainWindow(parent), m_pDocument(document), m_pView(new Ctarvik3View(document))
{
    // The view's panes shrink with the window: no scroll bars round the whole form.
    setCentralWidget(m_pView);
    // The preview beside the detail pane, in a pane of its own the user can close, move or float.
    m_previewDock = new QDockWidget(QString::fromUtf8("Podgląd"), this);
    m_previewDock->setObjectName("previewDock");
    m_previewDock->setWidget(m_pView->previewPane());
    addDockWidget(Qt::RightDockWidgetArea, m_previewDock);
    m_pView->OnPreviewPlaced();
    createMenus();
    createStatusBar();
    setAcceptDrops(true);

    auto* newDocument = new QAction(this);
    newDocument->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(newDocument, &QAction::triggered, m_pDocument, &Ctarvik3Doc::OnNewDocument);
    addAction(newDocument);

    connect(m_pDocument, &Ctarvik3Doc::documentChanged, this, [this] {
        m_strNotice.clear();
        m_bCommandMessage = false;
        if (!m_pDocument->GetPathName().isEmpty())
            m_strLastFolder = QFileInfo(m_pDocument->GetPathName()).absolutePath();
        OnUpdateTitle();
        showIdleMessage();
    });
    connect(m_pView, &Ctarvik3View::fileChangedOnDisk, this, &CMainFrame::OnFileChangedOnDisk);
    connect(m_pView, &Ctarvik3View::statusMessage, this, &CMainFrame::OnCommandMessage);
    connect(m_pView, &Ctarvik3View::commandsChanged, this, &CMainFrame::OnUpdateCommands);
    connect(m_pView, &Ctarvik3View::cursorFactsChanged, this, &CMainFrame::OnUpdateCursorFacts);
    OnUpdateTitle();
    OnUpdateCommands();
    // The first control that takes the focus by the tab key, as in a form: the tree.
    m_pView->setFocus();
    const QSize form =
        m_pView->formSize() + QSize(0, menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    const QSize screenSize = screen()->availableGeometry().size();
    const QSize frame = initialFrameSize(form, minimumSizeHint(), screenSize);
    // The preview beside the form, three quarters as wide as the form is tall, as far as the screen allows.
    const int previewWidth = std::max(m_previewDock->minimumSizeHint().width(), frame.height() * 3 / 4);
    resize(std::max(frame.width(), std::min(frame.width() + previewWidth, screenSize.width() * 9 / 10)), frame.height());
    resizeDocks({m_previewDock}, {previewWidth}, Qt::Horizontal);
}

void CMainFrame::createMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Plik"));
    QAction* open = file->addAction(QString::fromUtf8("&Otwórz..."), this, &CMainFrame::OnFileOpen);
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    open->setStatusTip(QString::fromUtf8("Otwórz plik"));
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("Za&koncz"), this, &QWidget::close);
    exit->setStatusTip(QString::fromUtf8("Zakończ program"));

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edycja"));
    addCommand(edit, "&Kopiuj", QKeySequence::Copy, "Kopiuj zaznaczenie do schowka", &Ctarvik3View::OnEditCopy);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&Widok"));
    QAction* statusBarShown = view->addAction(QStringLiteral("&Pasek stanu"));
    statusBarShown->setCheckable(true);
    statusBarShown->setChecked(true);
    statusBarShown->setStatusTip(QStringLiteral("Pokaż lub ukryj pasek stanu"));
    connect(statusBarShown, &QAction::toggled, this, [this](bool shown) {
        statusBar()->setVisible(shown);
        m_feedback->hide();
    });
    QAction* previewShown = m_previewDock->toggleViewAction();
    previewShown->setText(QString::fromUtf8("Po&dgląd"));
    previewShown->setStatusTip(QString::fromUtf8("Pokaż lub ukryj podgląd zdekodowanego obrazu"));
    view->addAction(previewShown);
    view->addSeparator();
    // Eight bytes a line are the form's hex text; sixteen show twice as much of a file at once.
    auto* lineWidths = new QActionGroup(this);
    for (const auto& [bytes, text, prompt] : {
             std::tuple{8, "&8 bajtów w wierszu", "Pokaż osiem bajtów w wierszu szesnastkowym"},
             std::tuple{16, "1&6 bajtów w wierszu", "Pokaż szesnaście bajtów w wierszu szesnastkowym"},
         }) {
        QAction* action = view->addAction(QString::fromUtf8(text));
        action->setCheckable(true);
        action->setChecked(bytes == m_pView->bytesPerLine());
        action->setStatusTip(QString::fromUtf8(prompt));
        lineWidths->addAction(action);
        connect(action, &QAction::triggered, this, [this, bytes = bytes] { m_pView->setBytesPerLine(bytes); });
    }

    QMenu* go = menuBar()->addMenu(QString::fromUtf8("P&rzejdź"));
    m_byteCommands = {
        addCommand(go, "&Przejdź do pozycji...", QKeySequence(Qt::CTRL | Qt::Key_G),
                   "Przejdź do bajtu o podanej pozycji w pliku", &Ctarvik3View::OnGoToOffset),
        addCommand(go, "&Znajdź bajty...", QKeySequence(Qt::CTRL | Qt::Key_F),
                   "Znajdź ciąg bajtów w pliku, od pozycji kursora", &Ctarvik3View::OnFindBytes),
        addCommand(go, "Znajdź &następne", QKeySequence(Qt::Key_F3),
                   "Znajdź następne wystąpienie szukanych bajtów", &Ctarvik3View::OnFindNext),
        addCommand(go, "Znajdź p&oprzednie", QKeySequence(Qt::SHIFT | Qt::Key_F3),
                   "Znajdź poprzednie wystąpienie szukanych bajtów", &Ctarvik3View::OnFindPrevious),
    };
    go->addSeparator();
    m_byteCommands << addCommand(go, "Następny &błąd", QKeySequence(Qt::Key_F8),
                                 "Przejdź do następnego błędu w pliku", &Ctarvik3View::OnNextFault)
                   << addCommand(go, "Poprzedni błą&d", QKeySequence(Qt::SHIFT | Qt::Key_F8),
                                 "Przejdź do poprzedniego błędu w pliku", &Ctarvik3View::OnPreviousFault);
    go->addSeparator();
    m_readPartCommand = addCommand(go, "Pokaż odczytaną &część", {},
                                   "Pokaż elementy odczytane przed błędem krytycznym i wszystkie bajty pliku",
                                   &Ctarvik3View::OnShowReadPart);

    QMenu* help = menuBar()->addMenu(QStringLiteral("Pomo&c"));
    QAction* about = help->addAction(QStringLiteral("&O programie"), this, &CMainFrame::OnAppAbout);
    about->setStatusTip(QStringLiteral("Pokaż informacje o programie"));
}

QAction* CMainFrame::addCommand(QMenu* menu, const char* text, const QKeySequence& keys, const char* prompt,
                                void (Ctarvik3View::*command)())
{
    QAction* action = menu->addAction(QString::fromUtf8(text), m_pView, command);
    action->setShortcut(keys);
    action->setStatusTip(QString::fromUtf8(prompt));
    return action;
}

void CMainFrame::OnUpdateCommands()
{
    for (QAction* action : m_byteCommands)
        action->setEnabled(m_pView->showsBytes());
    m_readPartCommand->setEnabled(m_pView->canShowReadPart());
    OnUpdateCursorFacts();
}

void CMainFrame::OnUpdateCursorFacts()
{
    // A command's outcome spoke of the place it left; the user has moved on.
    if (m_bCommandMessage) {
        m_bCommandMessage = false;
        showIdleMessage();
        m_feedback->hide();
    }
    const auto facts = m_pView->cursorFacts();
    if (!facts) {
        for (QLabel* pane : {m_offsetPane, m_markedPane, m_elementPane})
            showFact(pane, {}, QStringLiteral("0000"));
        return;
    }
    showFact(m_offsetPane, offsetFact(facts->offset), offsetFact(facts->fileSize - 1));
    showFact(m_markedPane, bytesFact(facts->markedBytes), bytesFact(facts->fileSize));
    showFact(m_elementPane, facts->element, QStringLiteral("<dane>"));
}

void CMainFrame::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(true);
    m_messagePane = new ElidedLabel;
    m_messagePane->setObjectName("message");
    bar->addWidget(m_messagePane, 1);
    // The facts of the cursor, beside the message pane and before the lock keys.
    const struct {
        QLabel** pane;
        const char* name;
    } facts[] = {
        {&m_offsetPane, "pozycja kursora"},
        {&m_markedPane, "zaznaczone bajty"},
        {&m_elementPane, "element pod kursorem"},
    };
    for (const auto& fact : facts) {
        *fact.pane = addStatusPane(bar);
        // A screen reader reads the value as the pane's name, and what it is as its description.
        (*fact.pane)->setAccessibleDescription(QString::fromUtf8(fact.name));
        (*fact.pane)->setToolTip(QString::fromUtf8(fact.name));
    }
    const int paneWidth = bar->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 12;
    for (QLabel** pane : {&m_capsPane, &m_numPane, &m_scrollPane}) {
        *pane = addStatusPane(bar);
        (*pane)->setMinimumWidth(paneWidth);
    }
    m_capsPane->setAccessibleName(QStringLiteral("CAP"));
    m_numPane->setAccessibleName(QStringLiteral("NUM"));
    m_scrollPane->setAccessibleName(QStringLiteral("SCRL"));
    showIdleMessage();

    m_feedback = new QLabel(this, Qt::ToolTip);
    m_feedback->setObjectName("feedback");
    m_feedback->setPalette(QToolTip::palette());
    m_feedback->setFont(QToolTip::font());
    m_feedback->setAutoFillBackground(true);
    m_feedback->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_feedback->setMargin(3);
    m_feedbackTimer = new QTimer(this);
    m_feedbackTimer->setSingleShot(true);
    m_feedbackTimer->setInterval(6000);
    connect(m_feedbackTimer, &QTimer::timeout, m_feedback, &QWidget::hide);
    // Where the lock keys cannot be read the panes stay unlit.
    if (readLockKeys()) {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &CMainFrame::updateLockKeys);
        timer->start(250);
        updateLockKeys();
    }
}

void CMainFrame::updateLockKeys()
{
    const LockKeyState keys = readLockKeys().value_or(LockKeyState{});
    m_capsPane->setText(keys.caps ? QStringLiteral("CAP") : QString());
    m_numPane->setText(keys.num ? QStringLiteral("NUM") : QString());
    m_scrollPane->setText(keys.scroll ? QStringLiteral("SCRL") : QString());
}

void CMainFrame::showIdleMessage() { showStatusText(m_strNotice.isEmpty() ? QString::fromLatin1(idleMessage) : m_strNotice); }

void CMainFrame::showStatusText(const QString& text) { m_messagePane->setFullText(text); }

void CMainFrame::OnCommandMessage(const QString& message)
{
    m_bCommandMessage = true;
    showStatusText(message);
    if (statusBar()->isVisible())
        return;
    // Within the window: as wide as the message or the window allows, wrapped beyond that.
    const QRect window = geometry();
    m_feedback->setWordWrap(m_feedback->fontMetrics().horizontalAdvance(message) > window.width() * 3 / 4);
    m_feedback->setMaximumWidth(window.width() * 3 / 4);
    m_feedback->setText(message);
    m_feedback->adjustSize();
    const QPoint at = m_pView->feedbackPoint();
    m_feedback->move(std::clamp(at.x(), window.left(), std::max(window.left(), window.right() - m_feedback->width())),
                     at.y());
    m_feedback->show();
    m_feedbackTimer->start();
}

// The message pane shows the prompt of the highlighted menu item, and "Ready" otherwise.
bool CMainFrame::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        if (tip.isEmpty())
            showIdleMessage();
        else
            showStatusText(tip);
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::OnUpdateTitle()
{
    setWindowTitle(m_pDocument->GetTitle() + QStringLiteral(" - ") + QString::fromUtf8(frameTitle));
}

void CMainFrame::OnFileChangedOnDisk()
{
    m_strNotice = QString::fromUtf8("Plik zmienił się na dysku od otwarcia: wyświetlane bajty mogą nie "
                                    "odpowiadać analizie.");
    showIdleMessage();
}

// The dialog starts in the open file's folder, else in the folder of the last file opened.
void CMainFrame::OnFileOpen()
{
    const QString open = m_pDocument->GetPathName();
    QFileDialog dialog(this, QStringLiteral("Open"), open.isEmpty() ? m_strLastFolder : QFileInfo(open).absolutePath(),
                       QString::fromUtf8(openFilters));
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().first();
    m_strLastFolder = QFileInfo(path).absolutePath();
    m_pDocument->OnOpenDocument(path);
}

void CMainFrame::OnAppAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CMainFrame::openFiles(const QStringList& paths)
{
    for (const QString& path : paths)
        m_pDocument->OnOpenDocument(path);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    openFiles(paths);
}
