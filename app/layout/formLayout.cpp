#include "app/layout/formLayout.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int formTreeWidth = 68;
constexpr int formDetailWidth = 135;

}  // namespace

PartWidths sharedWidths(int available, int bytesWidth, int treeLeast, int detailLeast)
{
    const int rest = std::max(0, available - bytesWidth);
    const int tree =
        std::clamp(rest * formTreeWidth / (formTreeWidth + formDetailWidth), treeLeast, std::max(treeLeast, rest - detailLeast));
    return {tree, bytesWidth, std::max(0, rest - tree)};
}

QSize initialFrameSize(QSize form, QSize least, QSize screen)
{
    if (form.isEmpty() || screen.isEmpty())
        return form.expandedTo(least);
    const double scale =
        std::min(2.0 * screen.width() / (3.0 * form.width()), 2.0 * screen.height() / (3.0 * form.height()));
    const QSize scaled(static_cast<int>(std::lround(form.width() * scale)),
                       static_cast<int>(std::lround(form.height() * scale)));
    return scaled.expandedTo(least).boundedTo(screen);
}
