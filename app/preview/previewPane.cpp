#include "app/preview/previewPane.h"

#include "app/preview/pictureView.h"

#include <QBoxLayout>
#include <QEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

namespace {

// A pane resized by dragging settles before it is decoded again.
constexpr int resizeSettleMs = 250;

QString pictureFacts(const PreviewResult& result, const std::optional<TileGrid>& grid)
{
    QString facts = QString::fromUtf8("Obraz %1 × %2 px").arg(result.image.width()).arg(result.image.height());
    if (result.reduction == 0)
        facts += QString::fromUtf8(" w pełnej rozdzielczości");
    else
        facts += QString::fromUtf8(" w skali 1:%1 (pominięte poziomy rozdzielczości: %2)")
                     .arg(qulonglong{1} << std::min<quint32>(result.reduction, 63))
                     .arg(result.reduction);
    const ImageRegion& r = result.region;
    if (grid && (r.x0 != grid->XOsiz || r.y0 != grid->YOsiz || r.x1 != grid->Xsiz || r.y1 != grid->Ysiz))
        facts += QString::fromUtf8(", fragment %1, %2 – %3, %4").arg(r.x0).arg(r.y0).arg(r.x1).arg(r.y1);
    facts += QLatin1Char('.');
    if (!result.note.isEmpty())
        facts += QLatin1Char(' ') + result.note;
    return facts;
}

}  // namespace

PreviewPane::PreviewPane(QWidget* parent)
    : QWidget(parent), decoder_(new PreviewDecoder(this)), picture_(new PictureView(marks_)),
      progress_(new QProgressBar), stop_(new QPushButton(QStringLiteral("Przerw&ij"))), status_(new QPlainTextEdit),
      resizeTimer_(new QTimer(this)), clockTimer_(new QTimer(this))
{
    setObjectName("preview");
    progress_->setRange(0, 0);  // no measure of a decode's progress: a moving bar
    progress_->setTextVisible(false);
    progress_->setAccessibleName(QString::fromUtf8("dekodowanie"));
    stop_->setObjectName("stopDecoding");
    stop_->setAutoDefault(false);
    // A few lines under the picture, scrolled when the decoder has more to say.
    status_->setObjectName("previewStatus");
    status_->setAccessibleName(QString::fromUtf8("stan podglądu"));
    status_->setReadOnly(true);
    status_->setFrameShape(QFrame::NoFrame);
    status_->setBackgroundRole(QPalette::Window);
    status_->viewport()->setAutoFillBackground(false);
    status_->setFocusPolicy(Qt::ClickFocus);
    status_->setFixedHeight(status_->fontMetrics().lineSpacing() * 4 +
                            static_cast<int>(2 * status_->document()->documentMargin()));
    picture_->installEventFilter(this);

    auto* running = new QHBoxLayout;
    running->setContentsMargins(0, 0, 0, 0);
    running->addWidget(progress_, 1);
    running->addWidget(stop_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(picture_, 1);
    layout->addLayout(running);
    layout->addWidget(status_);

    resizeTimer_->setSingleShot(true);
    resizeTimer_->setInterval(resizeSettleMs);
    clockTimer_->setInterval(1000);
    connect(resizeTimer_, &QTimer::timeout, this, &PreviewPane::OnResizeSettled);
    connect(clockTimer_, &QTimer::timeout, this, &PreviewPane::showStatus);
    connect(decoder_, &PreviewDecoder::finished, this, &PreviewPane::OnDecoded);
    connect(stop_, &QPushButton::clicked, this, &PreviewPane::OnStop);
    connect(picture_, &PictureView::tileChosen, this, [this](uint64_t tile) {
        if (tile <= UINT32_MAX)
            emit tileChosen(static_cast<uint32_t>(tile));
    });
    showNothing(QString::fromUtf8("Nie otwarto żadnego pliku."));
}

void PreviewPane::showFile(const PreviewSubject& subject)
{
    decoder_->cancel();
    subject_ = subject;
    shown_.reset();
    note_.clear();
    marks_.setStream(subject.tiles, subject.grid);
    picture_->setGrid(subject.grid);
    picture_->showMessage(QString::fromUtf8("Dekodowanie…"));
    showProgress(false);
    requestedFit_ = {};
    pending_ = true;
    // After the window has laid itself out, so that the pane's size is the one it shows.
    if (isVisible())
        QTimer::singleShot(0, this, &PreviewPane::startDecode);
}

void PreviewPane::showNothing(const QString& why)
{
    decoder_->cancel();
    subject_.reset();
    shown_.reset();
    note_.clear();
    pending_ = false;
    marks_.setStream({}, {});
    picture_->setGrid({});
    picture_->showMessage(why);
    showProgress(false);
}

void PreviewPane::highlightTile(std::optional<uint32_t> tile) { picture_->setHighlightedTile(tile); }

void PreviewPane::highlightArea(std::optional<GridRect> area) { picture_->setHighlightedArea(area); }

QString PreviewPane::status() const { return status_->toPlainText(); }

void PreviewPane::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (pending_)
        QTimer::singleShot(0, this, &PreviewPane::startDecode);
}

bool PreviewPane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == picture_ && event->type() == QEvent::Resize)
        resizeTimer_->start();
    return QWidget::eventFilter(watched, event);
}

// Closed by the user (not with the whole window minimised), the pane stops decoding until shown.
void PreviewPane::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous() || !isDecoding())
        return;
    decoder_->cancel();
    showProgress(false);
    pending_ = true;
}

QSize PreviewPane::fitSize() const
{
    return (QSizeF(picture_->size()) * picture_->devicePixelRatioF()).toSize().expandedTo(QSize(64, 64));
}

void PreviewPane::startDecode()
{
    if (!pending_ || !subject_ || !isVisible())
        return;
    pending_ = false;
    requestedFit_ = fitSize();
    PreviewRequest request;
    request.path = subject_->path;
    request.offset = subject_->source.offset;
    request.length = subject_->source.length;
    request.colour = QString::fromStdString(subject_->source.colour);
    request.fitWidth = static_cast<quint32>(requestedFit_.width());
    request.fitHeight = static_cast<quint32>(requestedFit_.height());
    // Before the request: a helper that cannot start ends it at once.
    showProgress(true);
    decoder_->request(request);
}

void PreviewPane::OnDecoded(const PreviewResult& result)
{
    showProgress(false);
    if (!result.decoded) {
        // A picture decoded at another size stays; only the attempt at this one failed.
        if (shown_)
            note_ = QString::fromUtf8("Nie zdekodowano obrazu w nowym rozmiarze: %1").arg(result.message);
        else
            picture_->showMessage(QString::fromUtf8("Brak podglądu. %1").arg(result.message));
        showStatus();
        return;
    }
    shown_ = result;
    shown_->image = QImage();
    note_ = pictureFacts(result, subject_ ? subject_->grid : std::nullopt);
    marks_.setDecoded(result.tiles);
    picture_->setPicture(result.image, result.region, note_);
    showStatus();
}

void PreviewPane::OnStop()
{
    decoder_->cancel();
    showProgress(false);
    if (shown_)
        note_ = QString::fromUtf8("Dekodowanie w nowym rozmiarze przerwane.");
    else
        picture_->showMessage(QString::fromUtf8("Dekodowanie przerwane."));
    showStatus();
}

void PreviewPane::OnResizeSettled()
{
    if (!subject_ || pending_ || !isVisible())
        return;
    QSizeF image(1, 1);
    if (subject_->grid)
        image = QSizeF(double(subject_->grid->Xsiz) - subject_->grid->XOsiz, double(subject_->grid->Ysiz) - subject_->grid->YOsiz);
    const bool fullResolution = shown_ && shown_->reduction == 0;
    if (!PreviewGeometry::wantsNewDecode(requestedFit_, fitSize(), image, fullResolution, isDecoding()))
        return;
    pending_ = true;
    startDecode();
}

void PreviewPane::showProgress(bool running)
{
    progress_->setVisible(running);
    stop_->setVisible(running);
    if (running) {
        clock_.start();
        clockTimer_->start();
    } else {
        clockTimer_->stop();
    }
    showStatus();
}

void PreviewPane::showStatus()
{
    QStringList lines;
    if (!progress_->isHidden())
        lines << QString::fromUtf8("Dekodowanie… %1 s").arg(clock_.elapsed() / 1000);
    lines << note_ << marks_.summary();
    lines.removeAll(QString());
    status_->setPlainText(lines.join(QLatin1Char('\n')));
    picture_->marksChanged();
}
