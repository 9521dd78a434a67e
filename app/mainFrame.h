#pragma once
// The main window: caption, menu, status bar with the lock-key panes, the analysis view, the open
// dialog and dropped files.

#include <QMainWindow>

class Ctarvik3Doc;
class Ctarvik3View;
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
    // Shown in the message pane instead of "Ready" while it holds.
    QString m_strNotice;
};
