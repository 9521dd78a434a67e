#pragma once
// The main window: caption, menu, status bar with the lock-key panes, the analysis view, the open
// dialog and dropped files.

#include <QMainWindow>

class Ctarvik3Doc;
class Ctarvik3View;
class ElidedLabel;
class QAction;
class QDockWidget;
class QLabel;
class QTimer;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(Ctarvik3Doc* document, QWidget* parent = nullptr);

    Ctarvik3View* view() const { return m_pView; }
    // Opens each file in turn; the last one stays.
    void openFiles(const QStringList& paths);

protected:
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createMenus();
    void createStatusBar();
    // A command of the view, in a menu, with its keys and its status-bar prompt.
    QAction* addCommand(QMenu* menu, const char* text, const QKeySequence& keys, const char* prompt,
                        void (Ctarvik3View::*command)());
    void OnUpdateCommands();
    void OnUpdateCursorFacts();
    void OnFileOpen();
    void OnAppAbout();
    void OnUpdateTitle();
    void OnFileChangedOnDisk();
    // The outcome of a command: in the message pane until the cursor or the selection moves, and
    // beside the bytes while the status bar is hidden.
    void OnCommandMessage(const QString& message);
    void showIdleMessage();
    void showStatusText(const QString& text);
    void updateLockKeys();

    Ctarvik3Doc* m_pDocument;
    Ctarvik3View* m_pView;
    QDockWidget* m_previewDock = nullptr;
    ElidedLabel* m_messagePane = nullptr;
    // A command's outcome beside the bytes while the status bar is hidden: a tooltip of its own, as
    // Qt's hides at the release of the key that ran the command.
    QLabel* m_feedback = nullptr;
    QTimer* m_feedbackTimer = nullptr;
    QLabel* m_capsPane = nullptr;
    QLabel* m_numPane = nullptr;
    QLabel* m_scrollPane = nullptr;
    // The cursor's offset, the number of marked bytes and the element at the cursor.
    QLabel* m_offsetPane = nullptr;
    QLabel* m_markedPane = nullptr;
    QLabel* m_elementPane = nullptr;
    // Commands that need the file's bytes shown, and the one that shows a broken file's read part.
    QList<QAction*> m_byteCommands;
    QAction* m_readPartCommand = nullptr;
    // Shown in the message pane instead of "Ready" while it holds.
    QString m_strNotice;
    // The message pane shows a command's outcome.
    bool m_bCommandMessage = false;
    // Where the open dialog starts when no file is open: the folder of the last file opened.
    QString m_strLastFolder;
};
