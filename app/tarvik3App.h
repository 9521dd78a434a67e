#pragma once
// The application: its names, the document with its main window, the command line
// (`tarvik3 [FILE]`), and the event loop.

#include <QApplication>

#include <memory>

class CMainFrame;
class Ctarvik3Doc;
class QCommandLineParser;

class Ctarvik3App : public QApplication {
    Q_OBJECT
public:
    Ctarvik3App(int& argc, char** argv);
    ~Ctarvik3App() override;

    // Start-up; false when the program must end (the file given could not be opened).
    bool InitInstance();
    // Start-up and the event loop; the program's exit status.
    int run();

    // Answers --help and --version, which need no display, and ends the program; returns when the
    // command line asks for neither.
    static void answerHelpOrVersion(int argc, char** argv);

    // With a path, opens that file; without one, starts an empty document. False when the file could
    // not be opened or analysed: the document has shown why, and standard error says it too.
    static bool ProcessShellCommand(Ctarvik3Doc& document, const QString& path);

private:
    static void nameApplication();
    static void describeCommandLine(QCommandLineParser& parser);

    std::unique_ptr<Ctarvik3Doc> m_pDocument;
    std::unique_ptr<CMainFrame> m_pMainWnd;
};
