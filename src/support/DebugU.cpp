#include "support/DebugU.h"

#include "localisation/Translate.h"
#include "support/DebugLog.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

TDebugForm* DebugForm = nullptr;

TDebugForm::TDebugForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("DebugForm"));
    setWindowTitle(QStringLiteral(N_("DebugForm")));
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo1);
    resize(635, 299);
    move(0, 0);
    SetDebugLogWindowSink([this](const QString& line) { Memo1->appendPlainText(line); });
}

TDebugForm::~TDebugForm() {
    SetDebugLogWindowSink({});
}
