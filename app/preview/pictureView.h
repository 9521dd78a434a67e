#pragma once
// The decoded picture with the tile grid over it, the marked tiles and the highlighted tile or area.
// A click on a tile, or the arrow keys, choose a tile. Without a picture it shows why in its middle.
// A screen reader reads what it shows (the message, or the picture's facts, the tile under the
// keys and the marked tiles) as its description; a tooltip tells each tile's marks.

#include "app/preview/previewGeometry.h"

#include <QImage>
#include <QWidget>

#include <optional>

class TileMarks;

class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(const TileMarks& marks, QWidget* parent = nullptr);

    void setPicture(const QImage& image, const ImageRegion& region, const QString& facts);
    // No picture: the message says why.
    void showMessage(const QString& message);
    bool hasPicture() const { return !image_.isNull(); }
    QString message() const { return message_; }
    void setGrid(std::optional<TileGrid> grid);
    // The marks changed: repaint and retell.
    void marksChanged();

    std::optional<uint64_t> highlightedTile() const { return tile_; }
    void setHighlightedTile(std::optional<uint64_t> tile);
    std::optional<GridRect> highlightedArea() const { return area_; }
    void setHighlightedArea(std::optional<GridRect> area);
    PreviewGeometry pictureGeometry() const;

signals:
    void tileChosen(uint64_t tile);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void chooseTile(uint64_t tile);
    void retell();

    const TileMarks& marks_;
    QImage image_;
    ImageRegion region_;
    QString facts_;
    QString message_;
    std::optional<TileGrid> grid_;
    std::optional<uint64_t> tile_;
    std::optional<GridRect> area_;
};
