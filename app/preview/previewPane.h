#pragma once
// The preview pane "Podgląd": the open file's codestream decoded in the background by
// tarvik3-decode, with the tile grid and the marked tiles over the picture. The window stays usable
// while it decodes; another file, a closed one, or a pane grown half as large again (or shrunk to
// under half while decoding) replaces or ends the decode; whatever the helper does ends as a
// message here. It decodes only while shown.

#include "app/preview/previewDecoder.h"
#include "app/preview/tileMarks.h"
#include "present/codestreamSource.h"

#include <QElapsedTimer>
#include <QWidget>

#include <memory>
#include <optional>

class PictureView;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

// What the pane previews: where the codestream lies, its tile grid, and its tile-parts with the
// faults found in them.
struct PreviewSubject {
    QString path;
    CodestreamSource source;
    std::optional<TileGrid> grid;
    std::shared_ptr<const TileIndex> tiles;
};

class PreviewPane : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPane(QWidget* parent = nullptr);

    PreviewDecoder& decoder() { return *decoder_; }
    // Decodes the file's codestream; a decode still running for the previous one ends.
    void showFile(const PreviewSubject& subject);
    // Nothing to decode (no file, an empty one): the reason in place of the picture.
    void showNothing(const QString& why);

    // The tile of the element selected in the structure; none clears it.
    void highlightTile(std::optional<uint32_t> tile);
    // A part of the reference grid (a precinct, say); none clears it.
    void highlightArea(std::optional<GridRect> area);

    bool isDecoding() const { return decoder_->isRunning(); }
    PictureView* picture() const { return picture_; }
    // The line under the picture: its facts, the marked tiles, a decode under way.
    QString status() const;

signals:
    void tileChosen(uint32_t tile);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startDecode();
    void OnDecoded(const PreviewResult& result);
    void OnStop();
    void OnResizeSettled();
    void showProgress(bool running);
    void showStatus();
    QSize fitSize() const;

    PreviewDecoder* decoder_;
    TileMarks marks_;
    PictureView* picture_;
    QProgressBar* progress_;
    QPushButton* stop_;
    QPlainTextEdit* status_;
    QTimer* resizeTimer_;
    QTimer* clockTimer_;
    QElapsedTimer clock_;
    std::optional<PreviewSubject> subject_;
    // A decode waits for the pane to be shown.
    bool pending_ = false;
    QSize requestedFit_;
    std::optional<PreviewResult> shown_;  // the picture shown, without its pixels
    QString note_;                        // the facts of the picture, or why a later decode failed
};
