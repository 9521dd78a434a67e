#pragma once
// Registers a Qt Test class with the test program, which runs it by name.

#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <string>

std::map<std::string, std::function<std::unique_ptr<QObject>()>>& appSuites();

#define APP_TEST_SUITE(Suite)                                                                                    \
    static const bool registered##Suite = (appSuites()[#Suite] = [] { return std::make_unique<Suite>(); }, true)

#include "app/hexGeometry.h"

#include <QTest>

// Values in failure messages.
namespace QTest {
template <>
inline char* toString(const std::string& text)
{
    return QTest::toPrettyCString(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace QTest

inline char* toString(const CharRange& r)
{
    return qstrdup(QByteArray("chars [" + QByteArray::number(r.begin) + ", " + QByteArray::number(r.end) + ")"));
}

inline char* toString(const ByteRange& r)
{
    return qstrdup(QByteArray("bytes [" + QByteArray::number(r.begin) + ", " + QByteArray::number(r.end) + ")"));
}
