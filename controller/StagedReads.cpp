#include "StagedReads.h"

#include <algorithm>

namespace tarvex {

void StagedReads::Stage(const void* record, Store store) {
    Supersede(record);
    stores_.emplace_back(record, std::move(store));
}

void StagedReads::Supersede(const void* record) {
    std::erase_if(stores_, [record](const auto& entry) { return entry.first == record; });
}

void StagedReads::PublishTo(LaserCache& cache) {
    for (auto& entry : stores_)
        entry.second(cache);
    stores_.clear();
}

} // namespace tarvex
