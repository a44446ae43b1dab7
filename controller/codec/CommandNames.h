#pragma once

#include <cstdint>

namespace tarvex {

// The name of what a command id carries ("StatusMask", "SingleWWParams"), as a person reading
// a packet trace knows it; null for an id the laser does not know.
const char* CommandName(std::uint16_t cmdID);

// "read", "write", "execute" or "response"; null for another code.
const char* DispositionName(std::uint8_t disposition);

} // namespace tarvex
