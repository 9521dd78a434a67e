// Runs the window's test suites headless (QT_QPA_PLATFORM=offscreen unless set): every suite, or the
// one named by the first argument, which the other arguments follow as Qt Test options.

#include "app/support/appSuite.h"

#include <QApplication>
#include <QTest>

#include <cstring>
#include <map>

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
    QApplication::setApplicationName(QStringLiteral("tarvik3"));

    std::vector<char*> options{argv[0]};
    std::string only;
    for (int i = 1; i < argc; ++i) {
        if (i == 1 && argv[i][0] != '-')
            only = argv[i];
        else
            options.push_back(argv[i]);
    }
    int failed = 0;
    bool ran = false;
    for (const auto& [name, make] : appSuites()) {
        if (!only.empty() && name != only)
            continue;
        ran = true;
        const std::unique_ptr<QObject> suite = make();
        failed += QTest::qExec(suite.get(), static_cast<int>(options.size()), options.data());
    }
    if (!ran) {
        std::fprintf(stderr, "no suite named %s\n", only.c_str());
        return 2;
    }
    return failed == 0 ? 0 : 1;
}
