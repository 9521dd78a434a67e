#include "app/tarvik3Doc.h"

#include "engine/jpcAnalyzer.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What can be learnt of a file before the engine reads it: why it cannot be opened, or its size.
struct FileProbe {
    QString failure;
    uint64_t size = 0;
};

FileProbe probeFile(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    // Non-blocking, so that a FIFO is refused instead of waiting for a writer.
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {QStringLiteral("%1 was not found.").arg(path)};
        if (errno == EACCES || errno == EPERM)
            return {QStringLiteral("Access to %1 was denied.").arg(path)};
        return {QStringLiteral("Failed to open document.")};
    }
    struct stat info {};
    const bool known = ::fstat(fd, &info) == 0;
    ::close(fd);
    if (known && S_ISDIR(info.st_mode))
        return {QString::fromUtf8("%1 jest katalogiem, a nie plikiem.").arg(path)};
    if (!known || !S_ISREG(info.st_mode))
        return {QStringLiteral("Failed to open document.")};
    return {{}, static_cast<uint64_t>(info.st_size)};
}

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

Ctarvik3Doc::Ctarvik3Doc(QObject* parent)
    : QObject(parent),
      m_strTitle(QStringLiteral("Untitled")),
      m_report([](const QString& message) {
          QMessageBox::warning(QApplication::activeWindow(), QApplication::applicationName(), message);
      })
{
}

Ctarvik3Doc::~Ctarvik3Doc() { DeleteContents(); }

void Ctarvik3Doc::DeleteContents()
{
    if (!m_pAnalyzer)
        return;
    emit contentsDeleted();
    m_pAnalyzer.reset();
}

bool Ctarvik3Doc::OnNewDocument()
{
    DeleteContents();
    m_strPathName.clear();
    m_strTitle = QStringLiteral("Untitled");
    emit documentChanged();
    return true;
}

void Ctarvik3Doc::setPath(const QString& path)
{
    m_strPathName = path;
    m_strTitle = QFileInfo(path).fileName();
}

void Ctarvik3Doc::reportFailure(const QString& message)
{
    m_strLastFailure = message;
    m_report(message);
}

bool Ctarvik3Doc::OnOpenDocument(const QString& path)
{
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    if (!m_strPathName.isEmpty() && fullPath == m_strPathName)
        return true;
    const FileProbe probe = probeFile(fullPath);
    if (!probe.failure.isEmpty()) {
        reportFailure(probe.failure);
        return false;
    }
    DeleteContents();
    // A file of no bytes is open with no engine: there is nothing to analyse or show.
    if (probe.size != 0) {
        QString failure;
        try {
            const WaitCursor wait;
            m_pAnalyzer = std::make_unique<jpcAnalyzer>(QFile::encodeName(fullPath).toStdString());
        } catch (const jpcEndOfFileError&) {
            failure = QStringLiteral("Unexpected file format.");
        } catch (...) {
            // Not found after all, too large, no SIZ to read, out of memory: the engine cannot
            // analyse this file.
            failure = QStringLiteral("Failed to open document.");
        }
        if (!failure.isEmpty()) {
            OnNewDocument();
            reportFailure(failure);
            return false;
        }
    }
    setPath(fullPath);
    emit documentChanged();
    return true;
}
