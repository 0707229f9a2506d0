#include "platform/Platform.h"

#include <QCoreApplication>

namespace {
Platform* GPlatform = nullptr;
}

Platform& CurrentPlatform() {
    Q_ASSERT(GPlatform);
    return *GPlatform;
}

void SetPlatform(Platform* platform) {
    GPlatform = platform;
}

void ErrorBox(const QString& text) {
    CurrentPlatform().MessageBox(BoxKind::Error, QCoreApplication::applicationName(), text, BtnOk,
                                 BtnOk);
}

void PlainBox(const QString& text) {
    CurrentPlatform().MessageBox(BoxKind::Plain, QCoreApplication::applicationName(), text, BtnOk,
                                 BtnOk);
}

bool ConfirmBox(const QString& text, BoxButton defaultButton) {
    return CurrentPlatform().MessageBox(BoxKind::Confirmation, QCoreApplication::applicationName(),
                                        text, BtnYes | BtnNo, defaultButton) == BtnYes;
}
