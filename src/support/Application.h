#pragma once

#include <QApplication>

// The application object: an error that escapes an event handler is shown in
// the general error box and the program keeps running.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
