#pragma once

#include "common/FakePlatform.h"
#include "common/TempProfile.h"

#include <QStringList>
#include <memory>

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
};
