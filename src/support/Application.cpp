#include "support/Application.h"

#include "localisation/Translate.h"
#include "support/GeneralError.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowGeneralError(ExceptionMessage(e));
    } catch (...) {
        ShowGeneralError(QStringLiteral(N_("Unknown error")));
    }
    return false;
}
