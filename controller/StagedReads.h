#pragma once

#include "LaserCache.h"

#include <functional>
#include <utility>
#include <vector>

namespace tarvex {

// The records one heartbeat cycle has read, held back so that the cycle's results reach the
// cache in one step and a reader never sees this cycle's status beside last cycle's progress.
// A record that another thread reads afresh meanwhile (a user's command) supersedes the cycle's
// older copy, which is then dropped instead of published over the newer value.
//
// Records are known by their address in the cache. Not synchronised: the controller keeps it
// under its cache lock.
class StagedReads {
public:
    using Store = std::function<void(LaserCache&)>;

    // Keeps `store` for `record`, in place of any earlier one for it.
    void Stage(const void* record, Store store);
    // Drops what is kept for `record`.
    void Supersede(const void* record);
    // Applies everything kept, in the order it was read, and forgets it.
    void PublishTo(LaserCache& cache);
    bool Empty() const { return stores_.empty(); }

private:
    std::vector<std::pair<const void*, Store>> stores_;
};

} // namespace tarvex
