#pragma once

#include <QWidget>

class QPlainTextEdit;

// The debug window: a read-only copy of every log line since it was created.
// Closing it only hides it; lines keep arriving.
class TDebugForm : public QWidget {
    Q_OBJECT
public:
    explicit TDebugForm(QWidget* parent = nullptr);
    ~TDebugForm() override;

    QPlainTextEdit* Memo1;
};

extern TDebugForm* DebugForm;
