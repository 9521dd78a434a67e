// Runs the window's test suites headless (QT_QPA_PLATFORM=offscreen unless set): every suite, or the
// one named by the first argument, which Qt Test options may follow.

#include "app/support/appSuite.h"

#include <QApplication>

std::map<std::string, std::function<std::unique_ptr<QObject>()>>& appSuites()
{
    static std::map<std::string, std::function<std::unique_ptr<QObject>()>> suites;
    return suites;
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool named = argc > 1 && argv[1][0] != '-';
    if (named && !appSuites().count(argv[1]))
        return 2;
    // Qt Test reads its options after the program's name; the suite's name is not one of them.
    std::vector<char*> options{argv[0]};
    options.insert(options.end(), argv + (named ? 2 : 1), argv + argc);
    int failed = 0;
    for (const auto& [name, make] : appSuites())
        if (!named || name == argv[1])
            failed += QTest::qExec(make().get(), static_cast<int>(options.size()), options.data());
    return failed == 0 ? 0 : 1;
}
