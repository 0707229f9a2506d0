#include "support/InfoBox2U.h"

#include "editor/TextFile.h"
#include "localisation/Translate.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>

TInfoForm2* InfoForm2 = nullptr;

namespace {
QColor FromBgr(unsigned c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

QFont TahomaPixels(int px, bool bold) {
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}
} // namespace

TInfoForm2::TInfoForm2(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("InfoForm2"));
    setWindowOpacity(200 / 255.0);
    setFont(TahomaPixels(11, false));
    setContentsMargins(2, 2, 2, 2);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(false);
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel1->setLineWidth(1);
    Panel1->setMidLineWidth(0);
    Panel1->setAutoFillBackground(true);
    Panel1->setBackgroundRole(QPalette::Button);
    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->move(3, 3);
    CloseBtn = new QPushButton(QStringLiteral(N_("X")), Panel1);
    CloseBtn->setObjectName(QStringLiteral("CloseBtn"));
    CloseBtn->setFixedSize(19, 19);
    CloseBtn->setFont(TahomaPixels(11, true));
    CloseBtn->setFocusPolicy(Qt::ClickFocus);

    connect(Timer1, &QTimer::timeout, this, &TInfoForm2::Timer1Timer);
    connect(CloseBtn, &QPushButton::clicked, this, &TInfoForm2::CloseBtnClick);
    resize(379, 67);
    FormCreate();
}

void TInfoForm2::FormCreate() {
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(p);
    setAutoFillBackground(true);
}

void TInfoForm2::Txt(const QString& Value, int Delay, int X, int Y, unsigned ATextColor) {
    const QFont font = [] {
        QFont f(QStringLiteral("Tahoma"), 12);
        f.setBold(true);
        return f;
    }();
    const QFontMetrics fm(font);
    FDelay = Delay;
    CloseBtn->setVisible(true);

    const QStringList lines = SplitLines(Value);
    const int lineStep = fm.height() + 5; // text height of "MMM" + 5
    const int height = int(lines.size()) * lineStep + 30;
    int width = 0;
    for (const QString& l : lines)
        width = std::max(width, fm.horizontalAdvance(l) + 50);
    resize(width, height);
    Panel1->setGeometry(contentsRect());

    const QRect inner = Panel1->contentsRect();
    const QSize picture(std::max(1, inner.width()), std::max(1, height));
    QPixmap pm(picture);
    const QColor face = palette().color(QPalette::Button);
    pm.fill(face);
    {
        QPainter painter(&pm);
        painter.setFont(font);
        painter.setPen(FromBgr(ATextColor));
        painter.setBackground(face);
        painter.setBackgroundMode(Qt::OpaqueMode);
        int y = 5;
        for (const QString& l : lines) {
            painter.drawText(QPoint(5, y + fm.ascent()), l);
            y += fm.height() + 5;
        }
    }
    Image1->setGeometry(3, 3, picture.width(), picture.height());
    Image1->setPixmap(pm);

    const QSize screen =
        QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size() : QSize(0, 0);
    const int left = X >= 1 ? X : screen.width() / 2 - width / 2;
    const int top = Y >= 1 ? Y : screen.height() / 2 - height / 2;
    move(left, top);
    CloseBtn->move(Panel1->contentsRect().width() - 23, 4);

    show();
    raise();
    QThread::msleep(10);
    repaint();

    // The countdown restarts only when its interval or enabled state changes,
    // as a notice given while one is running keeps the running countdown.
    if (Delay >= 1) {
        if (!Timer1->isActive() || Timer1->interval() != Delay)
            Timer1->start(Delay);
    } else {
        Timer1->stop();
    }
}

void TInfoForm2::FormShow() {
    CloseBtn->move(Panel1->contentsRect().width() - 23, 4);
}

void TInfoForm2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TInfoForm2::Timer1Timer() {
    hide();
    Timer1->stop();
}

void TInfoForm2::CloseBtnClick() {
    hide();
}

void ShowNotice(const QString& Value, int Delay, int X, int Y, unsigned ATextColor) {
    if (InfoForm2)
        InfoForm2->Txt(Value, Delay, X, Y, ATextColor);
}
