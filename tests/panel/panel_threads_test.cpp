// The panel beside its controller's heartbeat thread, for ThreadSanitizer: status ticks read the
// cache while a heartbeat cycle writes it, and the heartbeat's link-lost reports cross to the GUI
// thread. (A GoogleTest program: QtTest's watchdog thread would draw reports of its own.)
#include "PanelRig.h"

#include <gtest/gtest.h>

using namespace tarvex;
using namespace tarvex::panel;
using namespace tarvex::panel::test;

namespace {

// Moves simulated time on and ticks at once, while the heartbeat cycle the time released runs.
void TickBesideTheHeartbeat(PanelRig& rig, int ticks) {
    for (int i = 0; i < ticks; ++i) {
        rig.clock.Advance(500);
        rig.window->Timeout();
        QCoreApplication::processEvents();
    }
}

} // namespace

TEST(PanelThreads, StatusTicksRunBesideHeartbeatCycles) {
    PanelRig rig;
    rig.laser.SetPointerFitted(true);
    rig.Start();
    rig.Click("commandLinkButton_ArmDisarm");
    TickBesideTheHeartbeat(rig, 20);
    rig.Click("commandLinkButton_EnableDisablePointer");
    TickBesideTheHeartbeat(rig, 20);
    rig.Tick(2); // the heartbeat idle again
    EXPECT_EQ(rig.dialogs.progressOpen, 0);
    EXPECT_TRUE(rig.Controller().StatusBit(status::kArmed));
    EXPECT_TRUE(rig.Controller().StatusBit(status::kPointerOn));
    EXPECT_TRUE(rig.dialogs.messages.empty());
}

TEST(PanelThreads, LinkLostOnTheHeartbeatEndsTheProgramOnce) {
    PanelRig rig;
    rig.Start();
    rig.faults.Add({sim::Fault::Silent, std::nullopt, -1, 0.0, 0});
    TickBesideTheHeartbeat(rig, 6);
    rig.Tick(2);
    EXPECT_EQ(rig.dialogs.Texts(RecordingDialogs::Kind::Critical).size(), 1u);
    EXPECT_EQ(rig.dialogs.exits, std::vector<int>{1});
}

int main(int argc, char** argv) {
    PanelTestApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
