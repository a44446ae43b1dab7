#include "KTarvexController.h"

#include "Trace.h"

#include <algorithm>

namespace tarvex {

namespace {

// The laser keeps whatever bytes it is sent, and a favourite is overwritten under the name read
// back from it, so any name goes as it is. Only an empty one is refused (it would read back as an
// unused entry) and one with a zero byte (the name would end there on reading back).
bool IsStorableName(const std::string& name) {
    return !name.empty() && name.find('\0') == std::string::npos;
}

// The name as the laser stores it: its first 32 characters.
std::string StoredName(const std::string& name) {
    return name.substr(0, kSavedStateNameLength);
}

SavedStateRecord MakeSaveRecord(std::uint8_t slot, const std::string& name) {
    SavedStateRecord record;
    record.slot = slot;
    const std::string stored = StoredName(name);
    record.nameLength = static_cast<std::uint8_t>(stored.size());
    std::copy(stored.begin(), stored.end(), record.name.begin());
    return record;
}

std::string NameOf(const SavedStateRecord& record) {
    const std::size_t length = std::min<std::size_t>(record.nameLength, kSavedStateNameLength);
    std::string name(record.name.begin(), record.name.begin() + static_cast<long>(length));
    // A zero byte ends the name even inside the stated length.
    name.resize(std::min(name.size(), name.find('\0')));
    return name;
}

} // namespace

bool KTarvexController::ReadSysNumSavedStates() {
    std::lock_guard lock(transactionMutex_);
    SavedStateTable table;
    if (!ReadRecord(SavedStateTable::kCmd, table)) {
        // Without a fresh table the count is not to be trusted.
        UpdateCache([](LaserCache& c) { c.savedStates.count = 0; });
        return false;
    }
    UpdateCache([&](LaserCache& c) { c.savedStates = table; });
    savedStateTableRead_.store(true);
    Trace("[Sys Num Saved states] %u", table.count);
    return true;
}

bool KTarvexController::ReadSavedStateName(std::uint8_t slot, std::string& name) {
    SavedStateRecord request;
    request.slot = slot;
    SavedStateRecord reply;
    if (!ExchangeRecord(SavedStateRecord::kNameCmd, kRead, request, reply))
        return false;
    name = NameOf(reply);
    Trace("[Sys Saved State Name ] slot = %d, name = %s", slot, name.c_str());
    return true;
}

// The names are rebuilt into a list of their own and stored at once, so that no reader sees a
// half-built list. Each name keeps its entry's place: a name that could not be read stays empty
// rather than moving the names after it onto the wrong slots.
bool KTarvexController::ReadSavedStateNames() {
    std::lock_guard lock(transactionMutex_);
    const SavedStateTable table = CachedCopy(&LaserCache::savedStates);
    std::array<std::string, kSavedStateEntries> names{};
    bool anyRead = false;
    bool allRead = true;
    for (std::size_t entry = 0; entry < kSavedStateEntries; ++entry) {
        if (!table.inUse[entry]) {
            Trace("[Sys Saved State Name ] slot = %d, [slot empty]", static_cast<int>(entry));
            continue;
        }
        anyRead = true;
        if (!ReadSavedStateName(table.slot[entry], names[entry]))
            allRead = false;
    }
    UpdateCache([&](LaserCache& c) { c.savedStateNames = names; });
    // No entry in use counts as a failure: a laser always holds its default favorite.
    return anyRead && allRead;
}

bool KTarvexController::ExecSysSaveState(std::uint8_t slot, const std::string& name) {
    if (!CarriesPanelCommand("KTarvexController::ExecSysSaveState"))
        return false;
    if (!IsStorableName(name))
        return Refuse("KTarvexController::ExecSysSaveState",
                      "a name must not be empty or hold a zero byte");
    std::lock_guard lock(transactionMutex_);
    SavedStateRecord reply;
    if (!ExchangeRecord(SavedStateRecord::kSaveCmd, kExecute, MakeSaveRecord(slot, name), reply))
        return false;
    const std::string stored = StoredName(name);
    UpdateCache([&](LaserCache& c) {
        c.saveState = reply;
        for (std::size_t entry = 0; entry < kSavedStateEntries; ++entry)
            if (c.savedStates.inUse[entry] && c.savedStates.slot[entry] == slot)
                c.savedStateNames[entry] = stored;
    });
    Trace("[Sys Save State successful ] ");
    return true;
}

bool KTarvexController::CreateSavedState(const std::string& name, std::uint8_t& slot) {
    if (!CarriesPanelCommand("KTarvexController::CreateSavedState"))
        return false;
    // Held across the search and the save, so that two creates cannot pick the same entry.
    std::lock_guard lock(transactionMutex_);
    // A table never read (a refresh that stopped early) holds no slot numbers: slot 0 from it
    // is one the laser refuses.
    if (!savedStateTableRead_.load() && !ReadSysNumSavedStates())
        return Refuse("KTarvexController::CreateSavedState", "the saved-state table is unknown");
    const SavedStateTable table = CachedCopy(&LaserCache::savedStates);
    const auto free = std::find(table.inUse.begin(), table.inUse.end(), 0);
    if (free == table.inUse.end())
        return Refuse("KTarvexController::CreateSavedState", "all saved-state slots are in use");
    const auto entry = static_cast<std::size_t>(free - table.inUse.begin());
    if (!ExecSysSaveState(table.slot[entry], name))
        return false;
    UpdateCache([&](LaserCache& c) {
        ++c.savedStates.count;
        c.savedStates.inUse[entry] = 1;
        c.savedStateNames[entry] = StoredName(name);
    });
    slot = table.slot[entry];
    return true;
}

bool KTarvexController::RecallSavedState(std::uint8_t slot) {
    std::uint8_t reply = 0;
    if (!ExchangeByte(kRestoreStateCmd, kExecute, slot, &LaserCache::restoreState, reply))
        return false;
    Trace("[Sys Restore State successful ] ");
    return true;
}

// Only an erase the laser confirmed frees the entry: an entry freed after a failed erase would
// let the next create overwrite the favorite the laser still holds.
bool KTarvexController::EraseSavedState(std::uint8_t slot) {
    if (!CarriesPanelCommand("KTarvexController::EraseSavedState"))
        return false;
    std::lock_guard lock(transactionMutex_);
    std::uint8_t reply = 0;
    if (!ExchangeByte(kEraseStateCmd, kExecute, slot, &LaserCache::eraseState, reply))
        return false;
    UpdateCache([&](LaserCache& c) {
        auto& table = c.savedStates;
        for (std::size_t entry = 0; entry < kSavedStateEntries; ++entry) {
            if (table.slot[entry] != slot || !table.inUse[entry])
                continue;
            if (table.count > 0)
                --table.count;
            table.inUse[entry] = 0;
            c.savedStateNames[entry].clear();
        }
    });
    Trace("[Sys Erase State successful ] ");
    return true;
}

bool KTarvexController::ExecRegenDefaultFavorite() {
    if (!CarriesPanelCommand("KTarvexController::ExecRegenDefaultFavorite"))
        return false;
    std::uint8_t success = 0;
    if (!ExchangeByte(kRegenDefaultFavoriteCmd, kExecute, 0, &LaserCache::regenDefaultFavorite,
                      success))
        return false;
    Trace("[Exec REGEN DEF FAV] success = %u", success);
    return success != 0;
}

bool KTarvexController::ReadWriteAudioNotificationPref(bool write) {
    AudioNotificationPref reply;
    if (!ExchangeIntoCache(
            AudioNotificationPref::kCmd, WriteOrRead(write),
            write ? CachedCopy(&LaserCache::audio) : AudioNotificationPref{},
            [](LaserCache& c) -> AudioNotificationPref& { return c.audio; }, reply))
        return false;
    Trace("[Audio Notification Preference] on_off = %u, flash_led = %u", reply.on_off,
          reply.flash_led);
    return true;
}

bool KTarvexController::ReadWriteGlobalPreferences(bool write) {
    GlobalPreferences reply;
    if (!ExchangeIntoCache(
            GlobalPreferences::kCmd, WriteOrRead(write),
            write ? CachedCopy(&LaserCache::globalPrefs) : GlobalPreferences{},
            [](LaserCache& c) -> GlobalPreferences& { return c.globalPrefs; }, reply))
        return false;
    Trace("[Global Preferences] always_use_crossover = %u, reserved1 = %u, reserved2 = %u, "
          "reserved3 = %u",
          reply.always_use_crossover, reply.reserved1, reply.reserved2, reply.reserved3);
    return true;
}

bool KTarvexController::ReadWriteProvisioningIpAddr(bool write) {
    ProvisioningIpAddr reply;
    if (!ExchangeIntoCache(
            ProvisioningIpAddr::kCmd, WriteOrRead(write),
            write ? CachedCopy(&LaserCache::provisioningIp) : ProvisioningIpAddr{},
            [](LaserCache& c) -> ProvisioningIpAddr& { return c.provisioningIp; }, reply))
        return false;
    Trace("[Provisioning IP Addr] ipAddr=0x%x, defDateway = 0x%x port= 0x%x subnetMask = 0x%x",
          reply.ipAddr, reply.defGateway, reply.port, reply.subnetMask);
    return true;
}

} // namespace tarvex
