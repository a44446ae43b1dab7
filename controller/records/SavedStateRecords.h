#pragma once

#include "WireCodec.h"

namespace tarvex {

inline constexpr std::size_t kSavedStateEntries = 9;
inline constexpr std::size_t kSavedStateNameLength = 32;

struct SavedStateTable {
    static constexpr std::uint16_t kCmd = 205;
    std::uint8_t count = 0;
    std::array<std::uint8_t, kSavedStateEntries> inUse{};
    std::array<std::uint8_t, kSavedStateEntries> slot{};
    template <typename F> void Visit(F& f) {
        f(count);
        f(inUse);
        f(slot);
    }
};

// ExecSysSaveState (201) and the reply of ReadSysSavedStateName (204).
struct SavedStateRecord {
    static constexpr std::uint16_t kSaveCmd = 201;
    static constexpr std::uint16_t kNameCmd = 204;
    std::uint8_t slot = 0;
    std::uint8_t nameLength = 0;
    std::array<std::uint8_t, kSavedStateNameLength> name{};
    template <typename F> void Visit(F& f) {
        f(slot);
        f(nameLength);
        f(name);
    }
};

inline constexpr std::uint16_t kRestoreStateCmd = 202;
inline constexpr std::uint16_t kEraseStateCmd = 203;
inline constexpr std::uint16_t kRegenDefaultFavoriteCmd = 1013;

struct AudioNotificationPref {
    static constexpr std::uint16_t kCmd = 207;
    std::uint8_t on_off = 0;
    std::uint8_t flash_led = 0;
    template <typename F> void Visit(F& f) {
        f(on_off);
        f(flash_led);
    }
};

struct GlobalPreferences {
    static constexpr std::uint16_t kCmd = 208;
    std::uint8_t always_use_crossover = 0;
    std::uint8_t reserved1 = 0;
    std::uint8_t reserved2 = 0;
    std::uint8_t reserved3 = 0;
    template <typename F> void Visit(F& f) {
        f(always_use_crossover);
        f(reserved1);
        f(reserved2);
        f(reserved3);
    }
};

// Addresses with the first octet in the most significant byte.
struct ProvisioningIpAddr {
    static constexpr std::uint16_t kCmd = 206;
    std::uint32_t ipAddr = 0;
    std::uint32_t subnetMask = 0;
    std::uint32_t defGateway = 0;
    std::uint16_t port = 0;
    template <typename F> void Visit(F& f) {
        f(ipAddr);
        f(subnetMask);
        f(defGateway);
        f(port);
    }
};

} // namespace tarvex
