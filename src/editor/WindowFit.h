#pragma once

#include <QSize>

// Where the main window goes after an image is loaded: the image and a
// 200-pixel field list side by side when the screen has room for both (plus
// 22 pixels of frame), else the whole screen width with the image scrolling.
// A window that fits is 1280 wide at most, unless the image and the list need
// more and the screen has it.
struct WindowFit {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int ScrollClientWidth = 0; // inside width of the image area
    int FieldListWidth = 0;    // before the resize rule hands it the rest of the client width
};

inline constexpr int FieldListDesignWidth = 200;
inline constexpr int FitFrameAllowance = 22;
inline constexpr int FitMaxWindowWidth = 1280;

// screen: the primary screen's size; imageWidth: the loaded image's width;
// currentLeft: the window's left edge now (kept when the window still fits).
// A screen narrower than the list and frame gives a scroll width of 0, never
// a negative one.
WindowFit FitMainWindow(QSize screen, int imageWidth, int currentLeft);
