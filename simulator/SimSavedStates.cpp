#include "SimLaser.h"

#include "ScanEngine.h"
#include "SimKeptRecord.h"

#include <algorithm>

namespace tarvex::sim {

namespace {

SavedLaserState Capture(const SimState& state) {
    SavedLaserState saved;
    saved.laserParams = state.laserParams;
    for (std::size_t i = 0; i < saved.qclParams.size(); ++i)
        saved.qclParams[i] = state.qcl[i].params;
    saved.scanMode = state.scan.scanMode;
    saved.singleWW = state.scan.singleWW;
    saved.sweep = state.scan.sweep;
    saved.stepMeasure = state.scan.stepMeasure;
    saved.multiSpectral = state.scan.multiSpectral;
    return saved;
}

// A recall changes the settings a running scan was built from, so it ends the run.
void Restore(SimState& state, const SavedLaserState& saved) {
    StopScanRun(state.scan);
    state.laserParams = saved.laserParams;
    for (std::size_t i = 0; i < saved.qclParams.size(); ++i)
        state.qcl[i].params = saved.qclParams[i];
    state.scan.scanMode = saved.scanMode;
    state.scan.singleWW = saved.singleWW;
    state.scan.sweep = saved.sweep;
    state.scan.stepMeasure = saved.stepMeasure;
    state.scan.multiSpectral = saved.multiSpectral;
}

SavedStateRecord NameRecord(std::uint8_t slot, const SavedStateSlot& saved) {
    SavedStateRecord record{.slot = slot};
    if (!saved.inUse)
        return record;
    const std::size_t length = std::min(saved.name.size(), kSavedStateNameLength);
    record.nameLength = static_cast<std::uint8_t>(length);
    std::copy_n(saved.name.begin(), length, record.name.begin());
    return record;
}

std::string NameOf(const SavedStateRecord& record) {
    std::string name(record.name.begin(), record.name.begin() + record.nameLength);
    name.resize(std::min(name.size(), name.find('\0')));
    return name;
}

bool IsSlotNumber(std::uint8_t slot) {
    return slot < kSavedStateEntries;
}

// Slot 0 is the default favorite: regenerated, never overwritten or erased.
bool IsUserSlot(std::uint8_t slot) {
    return slot >= 1 && slot < kSavedStateEntries;
}

} // namespace

void SimLaser::RegisterSavedStateHandlers() {
    SavedStateSimState& saved = state_.saved;
    saved.factoryDefault = Capture(state_);
    saved.slots[0] = {.inUse = true, .name = kDefaultFavoriteName, .state = saved.factoryDefault};
    const auto changed = [&saved] {
        if (saved.onSlotsChanged)
            saved.onSlotsChanged(saved.slots);
    };

    handlers_[SavedStateTable::kCmd] = [&saved](const SimRequest&, SimReply& reply) {
        SavedStateTable table;
        for (std::uint8_t slot = 0; slot < kSavedStateEntries; ++slot) {
            table.inUse[slot] = saved.slots[slot].inUse ? 1 : 0;
            table.slot[slot] = slot;
            table.count = static_cast<std::uint8_t>(table.count + table.inUse[slot]);
        }
        Answer(reply, table);
    };
    handlers_[SavedStateRecord::kSaveCmd] = [this, &saved, changed](const SimRequest& request,
                                                                    SimReply& reply) {
        const auto record = RequestRecord<SavedStateRecord>(request);
        if (!IsUserSlot(record.slot) || record.nameLength > kSavedStateNameLength)
            return Refuse(reply);
        saved.slots[record.slot] = {
            .inUse = true, .name = NameOf(record), .state = Capture(state_)};
        changed();
        Answer(reply, NameRecord(record.slot, saved.slots[record.slot]));
    };
    handlers_[SavedStateRecord::kNameCmd] = [&saved](const SimRequest& request, SimReply& reply) {
        const std::uint8_t slot = RequestRecord<SavedStateRecord>(request).slot;
        if (!IsSlotNumber(slot))
            return Refuse(reply);
        Answer(reply, NameRecord(slot, saved.slots[slot]));
    };
    handlers_[kRestoreStateCmd] = [this, &saved](const SimRequest& request, SimReply& reply) {
        const std::uint8_t slot = RequestRecord<ByteRecord>(request).value;
        if (!IsSlotNumber(slot) || !saved.slots[slot].inUse)
            return Refuse(reply);
        Restore(state_, saved.slots[slot].state);
        Answer(reply, ByteRecord{slot});
    };
    handlers_[kEraseStateCmd] = [&saved, changed](const SimRequest& request, SimReply& reply) {
        const std::uint8_t slot = RequestRecord<ByteRecord>(request).value;
        if (!IsUserSlot(slot))
            return Refuse(reply);
        saved.slots[slot] = {};
        changed();
        Answer(reply, ByteRecord{slot});
    };
    handlers_[kRegenDefaultFavoriteCmd] = [&saved, changed](const SimRequest&, SimReply& reply) {
        saved.slots[0] = {
            .inUse = true, .name = kDefaultFavoriteName, .state = saved.factoryDefault};
        changed();
        Answer(reply, ByteRecord{1});
    };

    handlers_[AudioNotificationPref::kCmd] = [&saved](const SimRequest& request, SimReply& reply) {
        ServeKeptRecord(request, reply, saved.audio);
    };
    handlers_[GlobalPreferences::kCmd] = [&saved](const SimRequest& request, SimReply& reply) {
        ServeKeptRecord(request, reply, saved.globalPrefs);
    };
    handlers_[ProvisioningIpAddr::kCmd] = [&saved](const SimRequest& request, SimReply& reply) {
        ServeKeptRecord(request, reply, saved.provisioning);
    };
}

} // namespace tarvex::sim
