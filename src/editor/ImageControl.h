#pragma once

#include <QImage>
#include <QWidget>

// The image control inside the scroll area: shows its picture at 1:1 and
// reports the pointer's enter, leave, press, move and release.
class TImageControl : public QWidget {
    Q_OBJECT
public:
    explicit TImageControl(QWidget* parent = nullptr);

    // The displayed picture, keys drawn into it; exactly the form image's size.
    QImage Picture;
    // Resizes the picture (white) and the control to the given size.
    void SetPictureSize(const QSize& size);

signals:
    void MouseEnter();
    void MouseLeave();
    void MouseDown(QMouseEvent* event);
    void MouseMove(QMouseEvent* event);
    void MouseUp(QMouseEvent* event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
