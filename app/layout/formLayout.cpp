#include "app/layout/formLayout.h"

#include <algorithm>

FormRects formRects(const DialogUnits& units, QSize available, int offsetsWidth, int hexWidth)
{
    FormRects r{
        .verdict = units.rect(7, 7, 413, 12),
        .treeHeading = units.rect(7, 20, 68, 8),
        .bytesHeading = units.rect(84, 20, 190, 8),
        .detailHeading = units.rect(285, 20, 135, 8),
        .tree = units.rect(7, 32, 68, 170),
        .offsets = units.rect(83, 32, 57, 170),
        .hex = units.rect(140, 32, 142, 170),
        .detail = units.rect(285, 32, 135, 151),
        .describeButton = units.rect(285, 187, 67, 14),
        .errorsButton = units.rect(353, 187, 67, 14),
        .minimum = units.size(427, 209),
    };
    // A face wider than the form's fonts pushes what stands right of the panes further right.
    const int offsetsExtra = std::max(0, offsetsWidth - r.offsets.width());
    const int hexExtra = std::max(0, hexWidth - r.hex.width());
    r.offsets.setWidth(r.offsets.width() + offsetsExtra);
    r.hex.translate(offsetsExtra, 0);
    r.hex.setWidth(r.hex.width() + hexExtra);
    const int panesExtra = offsetsExtra + hexExtra;
    r.bytesHeading.setWidth(r.bytesHeading.width() + panesExtra);
    for (QRect* right : {&r.detailHeading, &r.detail, &r.describeButton, &r.errorsButton})
        right->translate(panesExtra, 0);
    r.verdict.setWidth(r.verdict.width() + panesExtra);
    r.minimum.setWidth(r.minimum.width() + panesExtra);

    const int dx = std::max(0, available.width() - r.minimum.width());
    const int dy = std::max(0, available.height() - r.minimum.height());
    const int treeDx = dx / 3;
    r.verdict.setWidth(r.verdict.width() + dx);
    r.treeHeading.setWidth(r.treeHeading.width() + treeDx);
    r.tree.setWidth(r.tree.width() + treeDx);
    for (QRect* right : {&r.bytesHeading, &r.offsets, &r.hex, &r.detailHeading, &r.detail, &r.describeButton,
                         &r.errorsButton})
        right->translate(treeDx, 0);
    r.detailHeading.setWidth(r.detailHeading.width() + dx - treeDx);
    r.detail.setWidth(r.detail.width() + dx - treeDx);
    for (QRect* pane : {&r.tree, &r.offsets, &r.hex, &r.detail})
        pane->setHeight(pane->height() + dy);
    r.describeButton.translate(0, dy);
    r.errorsButton.translate(0, dy);
    return r;
}
