#include "support/Termination.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace {
bool GRequested = false;
}

void RequestTermination() {
    GRequested = true;
    if (auto* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, &QCoreApplication::quit, Qt::QueuedConnection);
}

bool TerminationRequested() {
    return GRequested;
}

void ResetTerminationRequest() {
    GRequested = false;
}
