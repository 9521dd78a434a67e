#pragma once
// The proportions of the analysis form (427 × 209 dialog units), kept at any size: the window opens
// at them, scaled to its screen, and while the user has not moved the splitters the tree and the
// detail pane share the width beside the bytes as the form shares it (68 to 135). Plain geometry,
// no widget.

#include <QSize>

struct PartWidths {
    int tree;
    int bytes;
    int detail;
};

// `available`: the splitter's width less its handles; the bytes keep their width, the others never
// go below their least.
PartWidths sharedWidths(int available, int bytesWidth, int treeLeast, int detailLeast);

// `form`: the frame that shows the form at its own size. Scaled alike across and down to fill about
// two thirds of the screen (less where the screen is small), never below `least` nor past the screen.
QSize initialFrameSize(QSize form, QSize least, QSize screen);
