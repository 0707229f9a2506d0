#include "editor/ImageControl.h"

#include <QMouseEvent>
#include <QPainter>

TImageControl::TImageControl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void TImageControl::SetPictureSize(const QSize& size) {
    Picture = QImage(size, QImage::Format_RGB32);
    Picture.fill(Qt::white);
    setFixedSize(size);
}

void TImageControl::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect r = event->rect();
    p.fillRect(r, palette().color(QPalette::Window));
    if (!Picture.isNull())
        p.drawImage(r.topLeft(), Picture, r);
}

void TImageControl::enterEvent(QEnterEvent*) {
    emit MouseEnter();
}
void TImageControl::leaveEvent(QEvent*) {
    emit MouseLeave();
}
void TImageControl::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(event);
}
void TImageControl::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(event);
}
void TImageControl::mouseReleaseEvent(QMouseEvent* event) {
    emit MouseUp(event);
}
