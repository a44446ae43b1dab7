// Saved states (favorites) and the preference records against the simulated laser, and the
// simulator's state file that keeps favorites across restarts.
#include "SavedStateFile.h"
#include "support/SimRig.h"
#include "support/TempDir.h"
#include "support/TraceCapture.h"

#include <gtest/gtest.h>

using namespace tarvex;
using namespace tarvex::test;
using sim::Fault;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Names = std::array<std::string, kSavedStateEntries>;

// Puts a favorite into the simulated laser directly.
void StoreInLaser(SimRig& rig, std::size_t slot, const std::string& name) {
    rig.laser.Modify(
        [&](sim::SimState& s) { s.saved.slots[slot] = {.inUse = true, .name = name}; });
}

// Reads the table and the names as the refresh does.
bool ReadFavorites(SimRig& rig) {
    return rig.controller->ReadSysNumSavedStates() && rig.controller->ReadSavedStateNames();
}

} // namespace

TEST(SavedStateNames, OneRequestPerEntryInUseRebuildsTheList) {
    SimRig rig;
    StoreInLaser(rig, 2, "Water line");
    TraceCapture trace;
    ASSERT_TRUE(ReadFavorites(rig));
    EXPECT_EQ(rig.Cache().savedStates.count, 2);
    EXPECT_EQ(rig.Cache().savedStateNames, (Names{"Default", "", "Water line"}));
    const auto requests = rig.Requests(SavedStateRecord::kNameCmd);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], Bytes(34, 0));
    EXPECT_EQ(requests[1][0], 2);
    EXPECT_TRUE(trace.Contains("[Sys Num Saved states] 2"));
    EXPECT_TRUE(trace.Contains("[Sys Saved State Name ] slot = 0, name = Default"));
    EXPECT_TRUE(trace.Contains("[Sys Saved State Name ] slot = 8, [slot empty]"));
}

// A name that cannot be read leaves its place empty instead of shifting the names after it
// onto other slots, and the rebuild reports the failure.
TEST(SavedStateNames, AFailedReadKeepsWhatItCouldNotReplace) {
    SimRig rig;
    EXPECT_FALSE(rig.controller->ReadSavedStateNames()); // no entry in use yet: nothing to ask
    EXPECT_TRUE(rig.laser.History().empty());
    StoreInLaser(rig, 2, "Water line");
    StoreInLaser(rig, 5, "Ice");
    ASSERT_TRUE(rig.controller->ReadSysNumSavedStates());
    rig.InjectFor(SavedStateRecord::kNameCmd, Fault::DropResponse);
    EXPECT_FALSE(rig.controller->ReadSavedStateNames());
    EXPECT_EQ(rig.Cache().savedStateNames, (Names{"", "", "Water line", "", "", "Ice"}));

    // A failed table read forgets the count only.
    rig.InjectFor(SavedStateTable::kCmd, Fault::DropResponse);
    EXPECT_FALSE(rig.controller->ReadSysNumSavedStates());
    EXPECT_EQ(rig.Cache().savedStates.count, 0);
    EXPECT_EQ(rig.Cache().savedStates.inUse[0], 1);
}

TEST(CreateSavedState, AFailedSaveLeavesTheEntryFreeAndALongNameIsStoredAsItsFirst32) {
    SimRig rig;
    ASSERT_TRUE(ReadFavorites(rig));
    rig.InjectFor(SavedStateRecord::kSaveCmd, Fault::Nak);
    std::uint8_t slot = 0;
    EXPECT_FALSE(rig.controller->CreateSavedState("Lost", slot));
    EXPECT_EQ(rig.Cache().savedStates.inUse[1], 0);
    EXPECT_EQ(rig.Cache().savedStateNames[1], "");

    const std::string name = "Carbon monoxide fundamental band R-branch"; // 41 characters
    const std::string stored = name.substr(0, 32);
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->CreateSavedState(name, slot));

    EXPECT_EQ(slot, 1);
    Bytes expected = {1, 32};
    expected.insert(expected.end(), stored.begin(), stored.end());
    EXPECT_EQ(rig.Requests(SavedStateRecord::kSaveCmd).back(), expected);
    EXPECT_EQ(rig.Cache().savedStates.count, 2);
    EXPECT_EQ(rig.Cache().savedStates.inUse[1], 1);
    EXPECT_EQ(rig.Cache().savedStateNames[1], stored);
    EXPECT_TRUE(trace.Contains("[Sys Save State successful ] "));

    // The laser keeps the same name.
    ASSERT_TRUE(ReadFavorites(rig));
    EXPECT_EQ(rig.Cache().savedStateNames[1], stored);
}

TEST(CreateSavedState, RefusesWhatTheLaserCannotKeepWithoutSending) {
    SimRig rig;
    ASSERT_TRUE(ReadFavorites(rig));
    rig.laser.ClearHistory();
    std::uint8_t slot = 0xEE;
    EXPECT_FALSE(rig.controller->CreateSavedState("", slot));
    EXPECT_FALSE(rig.controller->CreateSavedState(std::string("Zero\0byte", 9), slot));
    EXPECT_EQ(rig.Cache().savedStates.count, 1);

    // No entry left free.
    rig.controller->UpdateCache([](LaserCache& c) {
        c.savedStates.count = 9;
        c.savedStates.inUse.fill(1);
    });
    EXPECT_FALSE(rig.controller->CreateSavedState("One more", slot));
    EXPECT_EQ(slot, 0xEE);
    EXPECT_TRUE(rig.laser.History().empty());
}

// The laser keeps whatever bytes it is sent, and the panel overwrites a favourite under the name
// it read back: a name outside printable ASCII goes out as it is and can be saved over again.
TEST(CreateSavedState, AnyNameGoesAsItIsAndCanBeOverwrittenUnderTheNameReadBack) {
    SimRig rig;
    ASSERT_TRUE(ReadFavorites(rig));
    const std::string name = "Caf\xC3\xA9\tCO\xE2\x82\x82";
    std::uint8_t slot = 0;
    ASSERT_TRUE(rig.controller->CreateSavedState(name, slot));
    ASSERT_TRUE(ReadFavorites(rig));
    const std::string readBack = rig.Cache().savedStateNames[1];
    EXPECT_EQ(readBack, name);
    EXPECT_TRUE(rig.controller->ExecSysSaveState(slot, readBack));
    EXPECT_EQ(rig.Requests(SavedStateRecord::kSaveCmd).size(), 2u);
}

// After a refresh that stopped before the table, the table is read before a slot is chosen:
// slot 0 of an empty table is the default favourite's, which the laser refuses to overwrite.
TEST(CreateSavedState, ReadsATableNeverReadBeforeChoosingTheSlot) {
    SimRig rig;
    std::uint8_t slot = 0;
    ASSERT_TRUE(rig.controller->CreateSavedState("First", slot));
    EXPECT_EQ(slot, 1);
    EXPECT_EQ(rig.Requests(SavedStateTable::kCmd).size(), 1u);

    // A table that cannot be read leaves nothing to choose from.
    SimRig unread;
    unread.InjectFor(SavedStateTable::kCmd, Fault::Silent);
    EXPECT_FALSE(unread.controller->CreateSavedState("Second", slot));
    EXPECT_TRUE(unread.Requests(SavedStateRecord::kSaveCmd).empty());
}

// An entry freed after a failed erase would let the next create overwrite a favorite the
// laser still holds.
TEST(EraseSavedState, FreesTheEntryOnlyOnceTheLaserErasedIt) {
    SimRig rig;
    StoreInLaser(rig, 3, "Ammonia");
    ASSERT_TRUE(ReadFavorites(rig));
    rig.InjectFor(kEraseStateCmd, Fault::DropResponse);
    EXPECT_FALSE(rig.controller->EraseSavedState(3));
    EXPECT_EQ(rig.Cache().savedStates.inUse[3], 1);
    EXPECT_EQ(rig.Cache().savedStates.count, 2);
    EXPECT_EQ(rig.Cache().savedStateNames[3], "Ammonia");

    TraceCapture trace;
    ASSERT_TRUE(rig.controller->EraseSavedState(3));
    EXPECT_EQ(rig.Cache().savedStates.count, 1);
    EXPECT_EQ(rig.Cache().savedStates.inUse[3], 0);
    EXPECT_EQ(rig.Cache().savedStateNames[3], "");
    EXPECT_TRUE(trace.Contains("[Sys Erase State successful ] "));
    EXPECT_FALSE(rig.State().saved.slots[3].inUse);
}

TEST(EraseSavedState, AnUnknownSlotChangesNoEntry) {
    SimRig rig;
    ASSERT_TRUE(ReadFavorites(rig));
    const auto table = rig.Cache().savedStates;
    EXPECT_FALSE(rig.controller->EraseSavedState(42)); // the laser refuses it
    EXPECT_EQ(WireBytes(rig.Cache().savedStates), WireBytes(table));

    // Even when a laser accepts it.
    rig.laser.SetHandler(kEraseStateCmd, [](const sim::SimRequest& request, sim::SimReply& reply) {
        reply.payload[0] = request.payload[0];
    });
    EXPECT_TRUE(rig.controller->EraseSavedState(42));
    EXPECT_EQ(WireBytes(rig.Cache().savedStates), WireBytes(table));
    EXPECT_EQ(rig.Cache().savedStateNames[0], "Default");
}

TEST(RecallSavedState, RestoresTheParametersTheSlotSaved) {
    SimRig rig;
    ASSERT_TRUE(ReadFavorites(rig));
    rig.laser.Modify([](sim::SimState& s) {
        s.laserParams.dwell_time = 250000;
        s.qcl[1].params.current = 420.0f;
        s.scan.singleWW.scan_ww = 5.5f;
    });
    std::uint8_t slot = 0;
    ASSERT_TRUE(rig.controller->CreateSavedState("Setup A", slot));
    rig.laser.Modify([](sim::SimState& s) {
        s.laserParams.dwell_time = 1;
        s.qcl[1].params.current = 1.0f;
        s.scan.singleWW.scan_ww = 9.0f;
    });

    TraceCapture trace;
    ASSERT_TRUE(rig.controller->RecallSavedState(slot));
    EXPECT_EQ(rig.Cache().restoreState, slot);
    EXPECT_TRUE(trace.Contains("[Sys Restore State successful ] "));
    const auto state = rig.State();
    EXPECT_EQ(state.laserParams.dwell_time, 250000u);
    EXPECT_EQ(state.qcl[1].params.current, 420.0f);
    EXPECT_EQ(state.scan.singleWW.scan_ww, 5.5f);

    // An empty slot cannot be recalled.
    EXPECT_FALSE(rig.controller->RecallSavedState(7));
}

TEST(RegenDefaultFavorite, SucceedsOnlyWhenTheLaserSaysSo) {
    SimRig rig;
    TraceCapture trace;
    EXPECT_TRUE(rig.controller->ExecRegenDefaultFavorite());
    EXPECT_TRUE(trace.Contains("[Exec REGEN DEF FAV] success = 1"));
    EXPECT_EQ(rig.Requests(kRegenDefaultFavoriteCmd)[0], Bytes{0});

    rig.laser.SetHandler(kRegenDefaultFavoriteCmd, [](const sim::SimRequest&, sim::SimReply&) {});
    EXPECT_FALSE(rig.controller->ExecRegenDefaultFavorite());
    EXPECT_TRUE(trace.Contains("[Exec REGEN DEF FAV] success = 0"));
}

TEST(Preferences, AreKeptByTheLaserWithTheAddressFirstOctetFirst) {
    SimRig rig;
    rig.controller->UpdateCache([](LaserCache& c) {
        c.provisioningIp = {.ipAddr = 0xC000020A, // 192.0.2.10
                            .subnetMask = 0xFFFFFF00,
                            .defGateway = 0xC0000201,
                            .port = 5000};
    });
    TraceCapture trace;
    ASSERT_TRUE(rig.controller->ReadWriteProvisioningIpAddr(true));
    EXPECT_EQ(rig.Requests(ProvisioningIpAddr::kCmd)[0],
              (Bytes{0xC0, 0x00, 0x02, 0x0A, 0xFF, 0xFF, 0xFF, 0x00, 0xC0, 0x00, 0x02, 0x01, 0x13,
                     0x88}));
    EXPECT_TRUE(trace.Contains("[Provisioning IP Addr] ipAddr=0xc000020a, defDateway = "
                               "0xc0000201 port= 0x1388 subnetMask = 0xffffff00"));

    rig.controller->UpdateCache([](LaserCache& c) { c.provisioningIp = {}; });
    ASSERT_TRUE(rig.controller->ReadWriteProvisioningIpAddr(false));
    EXPECT_EQ(rig.Cache().provisioningIp.ipAddr, 0xC000020Au);

    // The audio and global preferences are kept by the laser too.
    rig.controller->UpdateCache([](LaserCache& c) {
        c.audio = {.on_off = 0, .flash_led = 1};
        c.globalPrefs = {.always_use_crossover = 1, .reserved2 = 7};
    });
    ASSERT_TRUE(rig.controller->ReadWriteAudioNotificationPref(true));
    ASSERT_TRUE(rig.controller->ReadWriteGlobalPreferences(true));
    rig.controller->UpdateCache([](LaserCache& c) {
        c.audio = {};
        c.globalPrefs = {};
    });
    ASSERT_TRUE(rig.controller->ReadWriteAudioNotificationPref(false));
    ASSERT_TRUE(rig.controller->ReadWriteGlobalPreferences(false));
    const auto cache = rig.Cache();
    EXPECT_EQ(cache.audio.flash_led, 1);
    EXPECT_EQ(cache.globalPrefs.always_use_crossover, 1);
    EXPECT_EQ(cache.globalPrefs.reserved2, 7);
    EXPECT_TRUE(trace.Contains("[Audio Notification Preference] on_off = 0, flash_led = 1"));
    EXPECT_TRUE(trace.Contains("[Global Preferences] always_use_crossover = 1, reserved1 = 0, "
                               "reserved2 = 7, reserved3 = 0"));
}

// --- The simulator's state file -----------------------------------------------------------------

TEST(SavedStateFile, FavoritesOutliveARestartOfTheSimulator) {
    TempDir dir;
    const auto file = dir / "favorites.txt";
    std::string error;
    std::uint8_t slot = 0;
    {
        SimRig rig;
        ASSERT_TRUE(sim::KeepSavedStatesIn(rig.laser, file, error)) << error; // no file yet
        rig.laser.Modify([](sim::SimState& s) { s.scan.singleWW.scan_ww = 7.25f; });
        ASSERT_TRUE(ReadFavorites(rig));
        ASSERT_TRUE(rig.controller->CreateSavedState("Nitrous oxide", slot));
    }

    SimRig restarted;
    ASSERT_TRUE(sim::KeepSavedStatesIn(restarted.laser, file, error)) << error;
    ASSERT_TRUE(ReadFavorites(restarted));
    EXPECT_EQ(restarted.Cache().savedStateNames, (Names{"Default", "Nitrous oxide"}));
    ASSERT_TRUE(restarted.controller->RecallSavedState(slot));
    EXPECT_EQ(restarted.State().scan.singleWW.scan_ww, 7.25f);

    // An erase is written back too.
    ASSERT_TRUE(restarted.controller->EraseSavedState(slot));
    const auto slots = sim::ReadSavedStateFile(file, error);
    ASSERT_TRUE(slots) << error;
    EXPECT_FALSE((*slots)[slot].inUse);
    EXPECT_TRUE((*slots)[0].inUse);
}

TEST(SavedStateFile, AFileThatDoesNotParseIsRefusedAndLeftAlone) {
    TempDir dir;
    const auto file = dir / "favorites.txt";
    const Bytes garbage = {'n', 'o', 'p', 'e', '\n'};
    WriteBytes(file, garbage);
    SimRig rig;
    std::string error;
    EXPECT_FALSE(sim::KeepSavedStatesIn(rig.laser, file, error));
    EXPECT_NE(error.find("favorites.txt: line 1"), std::string::npos) << error;
    EXPECT_EQ(ReadBytes(file), garbage);
}

TEST(SavedStateFile, RoundTripsEveryPartOfASlot) {
    sim::SavedStateSlots slots{};
    auto& saved = slots[4];
    saved.inUse = true;
    saved.name = "  spaced  name ";
    saved.state.laserParams.off_time = 0xDEADBEEF;
    saved.state.qclParams[3].temp = -12.5f;
    saved.state.scanMode = scan_mode::kMultiSpectral;
    saved.state.sweep.bidirectional = 1;
    saved.state.stepMeasure.step_size = 0.125f;
    saved.state.multiSpectral.num_ww = 2;
    saved.state.multiSpectral.elements[1] = {6.5f, 1234, 56};

    std::string error;
    const auto back = sim::ParseSavedStates(sim::FormatSavedStates(slots), error);
    ASSERT_TRUE(back) << error;
    EXPECT_FALSE((*back)[0].inUse);
    const auto& got = (*back)[4];
    EXPECT_EQ(got.name, "  spaced  name ");
    EXPECT_EQ(got.state.laserParams.off_time, 0xDEADBEEFu);
    EXPECT_EQ(got.state.qclParams[3].temp, -12.5f);
    EXPECT_EQ(got.state.scanMode, scan_mode::kMultiSpectral);
    EXPECT_EQ(got.state.sweep.bidirectional, 1);
    EXPECT_EQ(got.state.stepMeasure.step_size, 0.125f);
    EXPECT_EQ(got.state.multiSpectral.elements[1].dwell_time, 1234u);
}

TEST(SavedStateFile, ABrokenFileIsRefusedWithItsLine) {
    sim::SavedStateSlots slots{};
    slots[1] = {.inUse = true, .name = "Good"};
    const std::string good = sim::FormatSavedStates(slots);
    const auto lineStart = [&](int line) {
        std::size_t at = 0;
        while (--line > 0)
            at = good.find('\n', at) + 1;
        return at;
    };
    std::string truncatedHex = good;
    truncatedHex.erase(lineStart(4) - 2, 1);
    std::string badSlot = good;
    badSlot.replace(lineStart(2), lineStart(3) - lineStart(2) - 1, "slot 9 Nine");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"not a state file\n", "line 1: expected"},
        {truncatedHex, "line 3: 'laser-params' needs 24 bytes in hex"},
        {good.substr(0, good.rfind('\n', good.size() - 2) + 1), "lacks 'multi-spectral'"},
        {badSlot, "line 2: slot number must be 0 to 8"},
        {good + good.substr(lineStart(2)), "slot 1 given twice"},
        {good + "colour blue\n", "unknown entry 'colour'"},
    };
    for (const auto& [text, expected] : cases) {
        std::string error;
        EXPECT_FALSE(sim::ParseSavedStates(text, error));
        EXPECT_NE(error.find(expected), std::string::npos) << error;
    }
}
