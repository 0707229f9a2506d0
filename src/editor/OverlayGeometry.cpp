#include "editor/OverlayGeometry.h"

#include <algorithm>
#include <limits>

QSize OverlaySize(int w, int h, QSize textSize) {
    return QSize(w == -1 ? textSize.width() : w, h == -1 ? textSize.height() : h);
}

QSize OverlaySurfaceSize(QSize requested, QSize clientSize, QSize textSize) {
    auto side = [](int want, int client, int text) {
        const int most = std::clamp(std::max(client, text), 1, OverlayMaxExtent);
        return std::clamp(want, 1, most);
    };
    return QSize(side(requested.width(), clientSize.width(), textSize.width()),
                 side(requested.height(), clientSize.height(), textSize.height()));
}

QPoint OverlayPosition(int x, int y, QSize size, QSize clientSize, QPoint clientOrigin) {
    // 64-bit: hostile coordinates must not wrap round into the other branch.
    const qint64 left = qint64(x) + clientOrigin.x() + KeyOffsetX;
    const qint64 top = qint64(y) + clientOrigin.y() + KeyOffsetY;
    const qint64 w = size.width(), h = size.height();
    const qint64 l = left > clientSize.width() - w ? left - (w + 10) : left;
    const qint64 t = top > clientSize.height() - h - 10 ? top - (h + 10) : top;
    auto clampInt = [](qint64 v) {
        return int(std::clamp<qint64>(v, std::numeric_limits<int>::min() / 2,
                                      std::numeric_limits<int>::max() / 2));
    };
    return QPoint(clampInt(l), clampInt(t));
}

QRect OverlaySourceRect(QPoint pos, QSize size, QPoint image1Pos, QPoint clientOrigin) {
    // 64-bit and kept well inside int, so that the rectangle's far corner
    // cannot overflow either; such a rectangle lies off any picture anyway.
    auto at = [](qint64 v) {
        return int(std::clamp<qint64>(v, std::numeric_limits<int>::min() / 4,
                                      std::numeric_limits<int>::max() / 4));
    };
    return QRect(at(qint64(pos.x()) - image1Pos.x() - clientOrigin.x()),
                 at(qint64(pos.y()) - image1Pos.y() - clientOrigin.y()), size.width(),
                 size.height());
}
