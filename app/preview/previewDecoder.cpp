#include "app/preview/previewDecoder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <csignal>
#include <cstring>

namespace {

// The largest reply the helper can write: header, tile list, note and pixels at their limits.
constexpr qint64 maxReplyBytes = 64 + 8 * qint64{previewReply::maxTiles} + previewReply::maxTextBytes +
                                 qint64{previewReply::maxPixelBytes};
constexpr qsizetype maxErrorBytes = 4096;

QString signalName(int signal)
{
    const char* abbreviation = ::sigabbrev_np(signal);
    return abbreviation ? QStringLiteral("SIG") + QString::fromLatin1(abbreviation) : QString::number(signal);
}

QString firstLine(const QByteArray& text)
{
    return QString::fromUtf8(text.left(text.indexOf('\n') < 0 ? text.size() : text.indexOf('\n'))).trimmed();
}

}  // namespace

QPointF PreviewResult::gridPoint(QPointF pixel) const
{
    return {region.x0 + pixel.x() * (region.x1 - region.x0) / image.width(),
            region.y0 + pixel.y() * (region.y1 - region.y0) / image.height()};
}

QRectF PreviewResult::pictureRect(quint32 x0, quint32 y0, quint32 x1, quint32 y1) const
{
    const double sx = double(image.width()) / (region.x1 - region.x0);
    const double sy = double(image.height()) / (region.y1 - region.y0);
    return QRectF(QPointF((double(x0) - region.x0) * sx, (double(y0) - region.y0) * sy),
                  QPointF((double(x1) - region.x0) * sx, (double(y1) - region.y0) * sy));
}

PreviewDecoder::PreviewDecoder(QObject* parent)
    : QObject(parent), helperPath_(defaultHelperPath()), timer_(new QTimer(this))
{
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (process_) {
            stop_ = Stop::timeLimit;
            process_->kill();
        }
    });
}

PreviewDecoder::~PreviewDecoder() { cancel(); }

QString PreviewDecoder::defaultHelperPath()
{
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& path : {dir + "/tarvik3-decode", dir + "/../decode/tarvik3-decode"})
        if (QFileInfo(path).isExecutable())
            return QFileInfo(path).canonicalFilePath();
    const QString onPath = QStandardPaths::findExecutable("tarvik3-decode");
    return onPath.isEmpty() ? QStringLiteral("tarvik3-decode") : onPath;
}

void PreviewDecoder::request(const PreviewRequest& request)
{
    cancel();
    QStringList arguments{request.path, "--size", QStringLiteral("%1x%2").arg(request.fitWidth).arg(request.fitHeight),
                          "--memory", QString::number(memoryMiB_), "--cpu", QString::number(cpuSeconds_)};
    if (request.length > 0)
        arguments << "--offset" << QString::number(request.offset) << "--length" << QString::number(request.length);
    if (!request.colour.isEmpty())
        arguments << "--colour" << request.colour;
    if (request.area)
        arguments << "--area"
                  << QStringLiteral("%1,%2,%3,%4")
                         .arg(request.area->x0)
                         .arg(request.area->y0)
                         .arg(request.area->x1)
                         .arg(request.area->y1);
    if (request.tile)
        arguments << "--tile" << QString::number(*request.tile);
    if (request.component)
        arguments << "--component" << QString::number(*request.component);

    auto* process = new QProcess(this);
    process_ = process;
    output_.clear();
    errors_.clear();
    stop_ = Stop::none;
    process->setProgram(helperPath_);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    connect(process, &QProcess::readyReadStandardOutput, this, &PreviewDecoder::readOutput);
    connect(process, &QProcess::readyReadStandardError, this, [this, process] {
        const QByteArray more = process->readAllStandardError();
        errors_ += more.left(maxErrorBytes - errors_.size());
    });
    connect(process, &QProcess::finished, this, &PreviewDecoder::processEnded);
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        const QString reason = process->errorString();
        cancel();
        emit finished(failure(PreviewResult::Ending::notStarted,
                              QStringLiteral("Nie można uruchomić programu dekodującego %1: %2").arg(helperPath_, reason)));
    });
    timer_->start(timeLimit_);
    process->start();
}

void PreviewDecoder::cancel()
{
    timer_->stop();
    QProcess* process = process_;
    process_ = nullptr;
    if (!process)
        return;
    process->disconnect(this);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->kill();
}

void PreviewDecoder::readOutput()
{
    output_ += process_->readAllStandardOutput();
    if (output_.size() > maxReplyBytes && stop_ == Stop::none) {
        stop_ = Stop::tooMuchOutput;
        process_->kill();
    }
}

PreviewResult PreviewDecoder::failure(PreviewResult::Ending ending, const QString& message) const
{
    PreviewResult result;
    result.ending = ending;
    result.message = message;
    return result;
}

void PreviewDecoder::processEnded()
{
    timer_->stop();
    QProcess* process = process_;
    if (stop_ == Stop::none)
        readOutput();
    const int code = process->exitCode();
    const bool crashed = process->exitStatus() == QProcess::CrashExit;
    process_ = nullptr;
    process->disconnect(this);
    process->deleteLater();

    using Ending = PreviewResult::Ending;
    if (stop_ == Stop::timeLimit)
        return end(failure(Ending::timeLimit, QStringLiteral("Dekodowanie trwało dłużej niż %1 s i zostało przerwane.")
                                                  .arg(double(timeLimit_.count()) / 1000)));
    if (stop_ == Stop::tooMuchOutput)
        return end(failure(Ending::badReply, QStringLiteral("Program dekodujący wypisał więcej danych, niż mieści "
                                                            "odpowiedź, i został zatrzymany.")));
    if (crashed && (code == SIGXCPU || code == SIGKILL))
        return end(failure(Ending::cpuLimit, QStringLiteral("Dekodowanie przekroczyło limit czasu procesora (%1 s) "
                                                            "lub pamięci systemu i zostało przerwane (%2).")
                                                 .arg(cpuSeconds_)
                                                 .arg(signalName(code))));
    if (crashed)
        return end(failure(Ending::crashed, QStringLiteral("Program dekodujący uległ awarii (%1). Plik może być "
                                                           "uszkodzony albo dekodowanie przekroczyło limit pamięci "
                                                           "(%2 MiB).")
                                                .arg(signalName(code))
                                                .arg(memoryMiB_)));
    PreviewOutcome outcome;
    std::string why;
    const auto bytes =
        std::span(reinterpret_cast<const uint8_t*>(output_.constData()), static_cast<size_t>(output_.size()));
    if (!parseReply(bytes, outcome, why) || (outcome.decoded && code != 0)) {
        const QString detail = firstLine(errors_);
        return end(failure(Ending::badReply,
                           QStringLiteral("Program dekodujący nie zwrócił poprawnej odpowiedzi (kod wyjścia %1: %2)%3")
                               .arg(code)
                               .arg(why.empty() ? QStringLiteral("obraz z kodem błędu") : QString::fromStdString(why))
                               .arg(detail.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + detail)));
    }
    if (!outcome.decoded)
        return end(failure(Ending::refused, QString::fromStdString(outcome.message)));

    const PreviewPicture& p = outcome.picture;
    PreviewResult result;
    result.ending = Ending::picture;
    result.decoded = true;
    result.image = QImage(static_cast<int>(p.width), static_cast<int>(p.height),
                          p.channels == 3 ? QImage::Format_RGB888 : QImage::Format_Grayscale8);
    const size_t stride = size_t{p.width} * p.channels;
    for (uint32_t y = 0; y < p.height; ++y)
        std::memcpy(result.image.scanLine(static_cast<int>(y)), p.pixels.data() + y * stride, stride);
    result.region = p.region;
    result.reduction = p.reduction;
    result.tiles = p.tiles;
    result.note = QString::fromStdString(p.note);
    end(std::move(result));
}

void PreviewDecoder::end(PreviewResult result)
{
    output_.clear();
    errors_.clear();
    emit finished(result);
}
