// The baseline of the start-up benchmark: the smallest Qt Widgets program that
// shows a main window.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.resize(875, 500);
    window.show();
    return app.exec();
}
