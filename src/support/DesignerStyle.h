#pragma once

#include <QProxyStyle>

// The application's style: the platform's own, with two additions.
// - The hint timings (50 ms before a hint appears, 25 ms between hinted
//   controls) once `EnableHintTimings` has been called.
// - The standard images the windows take at creation (dialog buttons, the
//   toolbar's overflow button, the help window's arrows) are decoded when
//   first drawn rather than when asked for: looking them up reads the icon
//   theme's index and the image files, which would otherwise delay the first
//   window for images most runs never show.
class DesignerStyle : public QProxyStyle {
    Q_OBJECT
public:
    DesignerStyle();

    void SetHintTimings(bool on) { FHintTimings = on; }
    bool HintTimings() const { return FHintTimings; }

    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

    // The image as the platform's style makes it, decoded now.
    QIcon ImmediateIcon(StandardPixmap standardIcon, const QStyleOption* option,
                        const QWidget* widget) const;

private:
    bool FHintTimings = false;
    // Set while the platform's style makes an image, so that its own
    // questions to this style are answered at once.
    mutable int FMaking = 0;
};

// Installs a DesignerStyle on the application unless it has one already.
DesignerStyle* InstallDesignerStyle();

// Turns the hint timings on, installing the style first where needed.
void EnableHintTimings();
