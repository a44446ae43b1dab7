#pragma once

#include "WireCodec.h"

namespace tarvex {

// The payload of the commands that carry a single byte: a mode or operation code, a slot
// number, an on/off flag.
struct ByteRecord {
    std::uint8_t value = 0;
    template <typename F> void Visit(F& f) { f(value); }
};

} // namespace tarvex
