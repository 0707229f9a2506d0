#pragma once

#include "common/FakePlatform.h"
#include "common/TempProfile.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class QDialog;

// Answers a modal dialog of the program as soon as it shows: the test's
// action runs from the dialog's own event loop.
class DialogScript : public QObject {
public:
    explicit DialogScript(QDialog* dialog);
    // Default: cancel, as a person closing the dialog would.
    std::function<void(QDialog*)> Action;
    int Shown = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QDialog* FDialog;
};

class TMainForm;

// A temporary profile seeded from the demo, the scripted platform, and the
// program's windows created in start-up order (the main window not yet shown).
class SpineFixture {
public:
    explicit SpineFixture(bool seedDemo = true);
    ~SpineFixture();

    // Shows the main window, which runs the start-up sequence.
    void Show();
    QStringList LogLines() const;

    TempProfile Profile;
    ScopedFakePlatform Platform;
    TMainForm* Main = nullptr;
    std::unique_ptr<DialogScript> CountryDialog;
    std::unique_ptr<DialogScript> SelectionDialog;
};
