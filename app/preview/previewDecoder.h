#pragma once
// The window's side of the preview's decoder: starts tarvik3-decode for each request, reads its
// reply, and turns every other ending (a crash, a hang, running out of memory, output that is not a
// reply) into a Polish message. The helper is killed when a new request comes, on cancel(), when
// the object goes (the file is closed), after the time limit, and when it writes more than any
// reply could hold. Nothing here blocks: the outcome comes by signal.

#include "decode/previewReply.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

class QProcess;
class QTimer;

struct PreviewRequest {
    QString path;
    // The codestream's bytes in the file (CodestreamSource) and what the file says of its colours:
    // "srgb", "grey", "sycc" or empty.
    quint64 offset = 0;
    quint64 length = 0;
    QString colour;
    // The size the picture is to fill, in pixels; the helper picks the reduction for it.
    quint32 fitWidth = 1024;
    quint32 fitHeight = 1024;
    std::optional<ImageRegion> area;  // on the reference grid
    std::optional<quint32> tile;
    std::optional<quint32> component;  // one component as grey
};

struct PreviewResult {
    // How the helper's run ended: with a picture, with the helper's reason for having none, or by
    // something the helper did not say (a crash, a limit, a reply that is not one, no start).
    enum class Ending { picture, refused, timeLimit, cpuLimit, crashed, badReply, notStarted };
    Ending ending = Ending::notStarted;
    bool decoded = false;
    QImage image;  // Format_Grayscale8 or Format_RGB888
    // The part of the reference grid the picture shows, and the reduction it was decoded at.
    ImageRegion region;
    quint32 reduction = 0;
    std::vector<TileState> tiles;  // tiles not decoded cleanly
    QString note;                  // what the decoder said, when it said anything
    QString message;               // why there is no picture

    // Between picture pixels and the reference grid: the picture spans the region linearly.
    QPointF gridPoint(QPointF pixel) const;
    QRectF pictureRect(quint32 x0, quint32 y0, quint32 x1, quint32 y1) const;
};

class PreviewDecoder : public QObject {
    Q_OBJECT
public:
    explicit PreviewDecoder(QObject* parent = nullptr);
    ~PreviewDecoder() override;

    // tarvik3-decode beside the program, in the build tree, or on the PATH.
    static QString defaultHelperPath();
    void setHelperPath(const QString& path) { helperPath_ = path; }
    void setTimeLimit(std::chrono::milliseconds limit) { timeLimit_ = limit; }
    // Passed on to the helper, which sets them on itself.
    void setMemoryLimit(quint32 mebibytes) { memoryMiB_ = mebibytes; }
    void setCpuLimit(quint32 seconds) { cpuSeconds_ = seconds; }

    // Ends any request still running, without its signal, and starts this one.
    void request(const PreviewRequest& request);
    void cancel();
    bool isRunning() const { return process_ != nullptr; }

signals:
    // Exactly once for each request that was not cancelled or replaced.
    void finished(const PreviewResult& result);

private:
    void readOutput();
    void processEnded();
    void end(PreviewResult result);
    PreviewResult failure(PreviewResult::Ending ending, const QString& message) const;

    QString helperPath_;
    std::chrono::milliseconds timeLimit_{30000};
    quint32 memoryMiB_ = 1024;
    quint32 cpuSeconds_ = 20;
    QProcess* process_ = nullptr;
    QTimer* timer_;
    QByteArray output_;
    QByteArray errors_;
    enum class Stop { none, timeLimit, tooMuchOutput } stop_ = Stop::none;
};
