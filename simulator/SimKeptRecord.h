#pragma once

#include "SimHandlerSupport.h"
#include "records/ByteRecord.h"

namespace tarvex::sim {

// A record the laser keeps as the host last wrote it: a write replaces it, and a read or a
// write answers with it.
template <typename Record>
void ServeKeptRecord(const SimRequest& request, SimReply& reply, Record& kept) {
    if (request.disposition == kWrite)
        kept = RequestRecord<Record>(request);
    Answer(reply, kept);
}

} // namespace tarvex::sim
