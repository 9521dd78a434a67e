#pragma once
// Where the analysis view's controls stand. At its own size (427 × 209 dialog units) the form has
// its designed arrangement; a larger view gives the extra height to the tree, the offset column, the
// hex pane and the detail pane, and the extra width to the tree and the detail pane. The offset
// column and the hex pane are widened only where their font needs it.

#include "app/layout/dialogUnits.h"

#include <QRect>

struct FormRects {
    QRect verdict;
    QRect treeHeading;
    QRect bytesHeading;
    QRect detailHeading;
    QRect tree;
    QRect offsets;
    QRect hex;
    QRect detail;
    QRect describeButton;
    QRect errorsButton;
    QSize minimum;  // the form itself; smaller views scroll
};

// `offsetsWidth` and `hexWidth`: the least widths that show a whole line of each pane.
FormRects formRects(const DialogUnits& units, QSize available, int offsetsWidth, int hexWidth);
