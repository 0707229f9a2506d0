#include "support/DesignerStyle.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>
#include <QWidget>

namespace {

// Standard images every Qt style provides (from the icon theme or Qt's own
// images), so they can be reported as present without decoding them.
bool AlwaysPresent(QStyle::StandardPixmap sp) {
    switch (sp) {
    case QStyle::SP_DialogOkButton:
    case QStyle::SP_DialogCancelButton:
    case QStyle::SP_DialogHelpButton:
    case QStyle::SP_DialogResetButton:
    case QStyle::SP_ToolBarHorizontalExtensionButton:
    case QStyle::SP_ToolBarVerticalExtensionButton:
    case QStyle::SP_ArrowBack:
    case QStyle::SP_ArrowForward:
    case QStyle::SP_ArrowUp:
    case QStyle::SP_FileDialogDetailedView:
        return true;
    default:
        return false;
    }
}

// Stands for a style's standard image and asks the style for it on first use;
// every drawing, size and name question is then the real image's answer.
class DeferredStandardIcon final : public QIconEngine {
public:
    DeferredStandardIcon(const DesignerStyle* style, QStyle::StandardPixmap sp,
                         const QStyleOption* option, const QWidget* widget)
        : FStyle(const_cast<DesignerStyle*>(style)), FWidget(const_cast<QWidget*>(widget)),
          FPixmap(sp) {
        // What a standard image can depend on is in the option's common part
        // (its direction, state and palette); its kind is dropped, so that
        // nothing reads this copy as the full option it was cut from.
        if (option) {
            FOption = *option;
            FOption.type = QStyleOption::SO_Default;
            FOption.version = QStyleOption::Version;
            FOption.styleObject = nullptr;
            FHasOption = true;
        }
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        Real().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Real().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Real().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return Real().pixmap(size, scale, mode, state);
    }
    void addPixmap(const QPixmap& pixmap, QIcon::Mode mode, QIcon::State state) override {
        Real().addPixmap(pixmap, mode, state);
    }
    void addFile(const QString& fileName, const QSize& size, QIcon::Mode mode,
                 QIcon::State state) override {
        Real().addFile(fileName, size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Real().availableSizes(mode, state);
    }
    QString iconName() override { return Real().name(); }
    bool isNull() override { return FResolved ? FIcon.isNull() : false; }
    QString key() const override { return QStringLiteral("DeferredStandardIcon"); }
    QIconEngine* clone() const override { return new DeferredStandardIcon(*this); }

private:
    QIcon& Real() {
        if (!FResolved) {
            FResolved = true;
            // The application may have changed its style meanwhile: the one
            // in use then makes the image.
            if (FStyle)
                FIcon = FStyle->ImmediateIcon(FPixmap, Option(), FWidget);
            else
                FIcon = QApplication::style()->standardIcon(FPixmap, Option(), FWidget);
        }
        return FIcon;
    }

    // Held weakly: either may be gone by the time the image is drawn.
    const QStyleOption* Option() const { return FHasOption ? &FOption : nullptr; }

    QPointer<DesignerStyle> FStyle;
    QPointer<QWidget> FWidget;
    QStyle::StandardPixmap FPixmap;
    QStyleOption FOption;
    bool FHasOption = false;
    bool FResolved = false;
    QIcon FIcon;
};

} // namespace

DesignerStyle::DesignerStyle() = default;

int DesignerStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                             QStyleHintReturn* returnData) const {
    if (FHintTimings) {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 50;
        if (hint == SH_ToolTip_FallAsleepDelay)
            return 25;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

QIcon DesignerStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                                  const QWidget* widget) const {
    if (FMaking > 0 || !AlwaysPresent(standardIcon))
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    return QIcon(new DeferredStandardIcon(this, standardIcon, option, widget));
}

QIcon DesignerStyle::ImmediateIcon(StandardPixmap standardIcon, const QStyleOption* option,
                                   const QWidget* widget) const {
    ++FMaking;
    QIcon icon = QProxyStyle::standardIcon(standardIcon, option, widget);
    --FMaking;
    return icon;
}

DesignerStyle* InstallDesignerStyle() {
    if (auto* s = qobject_cast<DesignerStyle*>(QApplication::style()))
        return s;
    auto* s = new DesignerStyle;
    QApplication::setStyle(s);
    return s;
}

void EnableHintTimings() {
    InstallDesignerStyle()->SetHintTimings(true);
}
