#include "control/SystemSettings.h"

#include <cstring>

namespace tarvex::control {

namespace {

void PutGalvoPositions(SysConfigImage& sysConfig, const GalvoPositions& positions) {
    std::memcpy(sysConfig.data() + kSysConfigGalvoOffset, positions.data(), sizeof positions);
}

// Puts `wanted` into the cached record `field` and writes it with `write`; puts the record
// back when the write fails.
template <typename Record>
bool WriteThroughCache(KTarvexController& controller, Record LaserCache::*field,
                       const Record& wanted, bool (KTarvexController::*write)(bool)) {
    std::lock_guard lock(controller.TransactionMutex());
    const Record before = controller.ReadCache([&](const LaserCache& c) { return c.*field; });
    controller.UpdateCache([&](LaserCache& c) { c.*field = wanted; });
    if ((controller.*write)(true))
        return true;
    controller.UpdateCache([&](LaserCache& c) { c.*field = before; });
    return false;
}

} // namespace

bool WriteProvisioning(KTarvexController& controller, const ProvisioningIpAddr& settings) {
    return WriteThroughCache(controller, &LaserCache::provisioningIp, settings,
                             &KTarvexController::ReadWriteProvisioningIpAddr);
}

bool WriteAudioNotification(KTarvexController& controller, const AudioNotificationPref& pref) {
    return WriteThroughCache(controller, &LaserCache::audio, pref,
                             &KTarvexController::ReadWriteAudioNotificationPref);
}

bool WriteGlobalPreferences(KTarvexController& controller, const GlobalPreferences& prefs) {
    return WriteThroughCache(controller, &LaserCache::globalPrefs, prefs,
                             &KTarvexController::ReadWriteGlobalPreferences);
}

GalvoPositions StoredGalvoPositions(const SysConfigImage& sysConfig) {
    GalvoPositions positions;
    std::memcpy(positions.data(), sysConfig.data() + kSysConfigGalvoOffset, sizeof positions);
    return positions;
}

GalvoStoreResult StoreGalvoPositions(KTarvexController& controller,
                                     const GalvoPositions& positions) {
    std::lock_guard lock(controller.TransactionMutex());
    if (!controller.ReadWriteSysConfig(false))
        return GalvoStoreResult::ReadFailed;
    SysConfigImage sysConfig =
        controller.ReadCache([](const LaserCache& c) { return c.sysConfig; });
    PutGalvoPositions(sysConfig, positions);
    return WriteThroughCache(controller, &LaserCache::sysConfig, sysConfig,
                             &KTarvexController::ReadWriteSysConfig)
               ? GalvoStoreResult::Stored
               : GalvoStoreResult::WriteFailed;
}

} // namespace tarvex::control
