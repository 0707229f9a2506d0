#include "common/FakePlatform.h"
#include "support/Exception.h"
#include "support/GeneralError.h"
#include "support/Termination.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(GeneralError, AnErrorEscapingAHandlerIsShownAndTheProgramRunsOn) {
    ScopedFakePlatform platform;
    bool after = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout,
                     Guarded([] { throw Exception("Cannot write file \"x\". Disk full"); }));
    QObject::connect(&timer, &QTimer::timeout, [&] { after = true; });
    timer.start(0);
    QCoreApplication::processEvents();
    ASSERT_EQ(platform.Fake.Boxes.size(), 1u);
    EXPECT_EQ(platform.Fake.Boxes[0].Kind, BoxKind::Error);
    EXPECT_EQ(platform.Fake.Boxes[0].Text, "Cannot write file \"x\". Disk full");
    EXPECT_EQ(platform.Fake.Boxes[0].Buttons, BtnOk);
    EXPECT_TRUE(after);
}

TEST(Termination, ARequestBeforeTheLoopEndsItAsSoonAsItRuns) {
    ResetTerminationRequest();
    RequestTermination();
    EXPECT_TRUE(TerminationRequested());
    // A safety net so that a broken request cannot hang the suite.
    QTimer::singleShot(5000, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    ResetTerminationRequest();
}

} // namespace
