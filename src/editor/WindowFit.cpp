#include "editor/WindowFit.h"

#include <algorithm>

WindowFit FitMainWindow(QSize screen, int imageWidth, int currentLeft) {
    WindowFit fit;
    const int sw = screen.width();
    fit.FieldListWidth = FieldListDesignWidth;
    // 64-bit sum: an absurdly wide image must not wrap round and "fit".
    if (qint64(sw) < qint64(imageWidth) + FieldListDesignWidth + FitFrameAllowance) {
        fit.ScrollClientWidth = std::max(0, sw - FieldListDesignWidth - FitFrameAllowance);
        fit.Left = 0;
        fit.Width = sw;
    } else {
        fit.ScrollClientWidth = imageWidth;
        fit.Width = sw > FitMaxWindowWidth ? FitMaxWindowWidth : sw;
        // The 1280 cap must not squeeze the list below its 200 pixels when the
        // screen has room for both (an A4 scan at 150 DPI is 1240 wide).
        fit.Width = std::max(fit.Width, imageWidth + FieldListDesignWidth + FitFrameAllowance);
        fit.Left = currentLeft;
        if (qint64(fit.Left) + fit.Width > sw)
            fit.Left = 0;
    }
    fit.Top = 0;
    fit.Height = screen.height();
    return fit;
}
