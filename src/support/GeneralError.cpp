#include "support/GeneralError.h"

#include "platform/Platform.h"

#include <QCoreApplication>

void ShowGeneralError(const QString& message) {
    CurrentPlatform().MessageBox(BoxKind::Error, QCoreApplication::applicationName(), message,
                                 BtnOk, BtnOk);
}
