#include "app/tarvik3App.h"

#include "app/appIcon.h"
#include "app/mainFrame.h"
#include "app/tarvik3Doc.h"

#include <QCommandLineParser>

#include <iostream>

Ctarvik3App::Ctarvik3App(int& argc, char** argv) : QApplication(argc, argv)
{
    nameApplication();
    setWindowIcon(applicationIcon());
}

void Ctarvik3App::nameApplication()
{
    setApplicationName(QStringLiteral("tarvik3"));
    setApplicationVersion(QStringLiteral("0.1"));
    // Qt keeps its per-user settings under these names; the program stores none of its own.
    setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
}

void Ctarvik3App::describeCommandLine(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QString::fromUtf8("Przeglądarka strumieni kodowych JPEG 2000"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QString::fromUtf8("plik otwierany na starcie"),
                                 QStringLiteral("[FILE]"));
}

void Ctarvik3App::answerHelpOrVersion(int argc, char** argv)
{
    const QStringList answered{"-h", "--help", "-?", "--help-all", "-v", "--version"};
    for (int i = 1; i < argc; ++i) {
        if (!answered.contains(QString::fromLocal8Bit(argv[i])))
            continue;
        // Without a window, so that they answer where there is no display too.
        QCoreApplication core(argc, argv);
        nameApplication();
        QCommandLineParser parser;
        describeCommandLine(parser);
        parser.process(core);  // prints the answer and ends the program
    }
}

Ctarvik3App::~Ctarvik3App() = default;

bool Ctarvik3App::InitInstance()
{
    QCommandLineParser parser;
    describeCommandLine(parser);
    parser.process(*this);

    m_pDocument = std::make_unique<Ctarvik3Doc>();
    m_pMainWnd = std::make_unique<CMainFrame>(m_pDocument.get());
    const QStringList files = parser.positionalArguments();
    if (!ProcessShellCommand(*m_pDocument, files.isEmpty() ? QString() : files.first()))
        return false;
    m_pMainWnd->show();
    return true;
}

int Ctarvik3App::run() { return InitInstance() ? exec() : 1; }

bool Ctarvik3App::ProcessShellCommand(Ctarvik3Doc& document, const QString& path)
{
    if (path.isEmpty())
        return document.OnNewDocument();
    if (document.OnOpenDocument(path))
        return true;
    // The program ends: whoever started it learns why, also where no one saw the message box.
    std::cerr << "tarvik3: " << document.lastFailure().toLocal8Bit().constData() << std::endl;
    return false;
}
