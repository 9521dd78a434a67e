#pragma once
// The main window: caption, menu, status bar with the lock-key panes, the analysis view, the open
// dialog and dropped files.

#include <QMainWindow>

class Ctarvik3Doc;
class Ctarvik3View;
class QAction;
class QLabel;

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
    void showIdleMessage();
    void updateLockKeys();

    Ctarvik3Doc* m_pDocument;
    Ctarvik3View* m_pView;
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
};
