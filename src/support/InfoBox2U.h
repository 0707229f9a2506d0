#pragma once

#include <QWidget>

class QTimer;
class QPushButton;
class QFrame;
class QLabel;

// A borderless, stay-on-top, slightly translucent notice that hides itself
// after a delay or when its "X" is pressed. Not modal; one instance, reused.
class TInfoForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TInfoForm2(QWidget* parent = nullptr);

    // Renders Value (CR LF, CR or LF between lines), sizes and places the
    // window (X, Y < 1: centred on the primary screen along that axis), shows
    // it and arms the timer (Delay < 1: stays until "X").
    void Txt(const QString& Value, int Delay, int X, int Y, unsigned ATextColor);

    void FormCreate();
    void FormShow();
    void Timer1Timer();
    void CloseBtnClick();

    QTimer* Timer1;
    QPushButton* CloseBtn;
    QFrame* Panel1;
    QLabel* Image1;
    int FDelay = 0;

protected:
    void showEvent(QShowEvent* event) override;
};

extern TInfoForm2* InfoForm2;

// Colours are 0x00BBGGRR.
constexpr unsigned clBlue = 0x00FF0000;

// The program-wide entry point: Txt of the one notice window.
void ShowNotice(const QString& Value, int Delay, int X, int Y, unsigned ATextColor);
