#pragma once
// Registers a Qt Test class with the test program, which runs it by name.

#include "app/tree/fileItems.h"
#include "app/hex/hexGeometry.h"

#include <QObject>
#include <QTest>

#include <functional>
#include <map>
#include <memory>
#include <string>

std::map<std::string, std::function<std::unique_ptr<QObject>()>>& appSuites();

#define APP_TEST_SUITE(Suite)                                                                                    \
    static const bool registered##Suite = (appSuites()[#Suite] = [] { return std::make_unique<Suite>(); }, true)

// Texts and ranges in failure messages.
namespace QTest {
template <>
inline char* toString(const std::string& text)
{
    return QTest::toPrettyCString(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace QTest

inline char* toString(const CharRange& r) { return QTest::toString(QPoint(int(r.begin), int(r.end))); }
inline char* toString(const ByteRange& r) { return QTest::toString(QPoint(int(r.begin), int(r.end))); }
inline char* toString(const FileItem& item)
{
    static const char* const kinds[] = {"file", "element", "box", "packet"};
    return qstrdup(QByteArray(kinds[int(item.kind)]) + ' ' + QByteArray::number(item.id) +
                   (item.kind == ItemKind::Packet ? ' ' + QByteArray::number(item.packet) : QByteArray()));
}
