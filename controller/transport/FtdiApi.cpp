#include "transport/FtdiApi.h"

#include <atomic>

namespace tarvex {
namespace {

std::atomic<FtdiApi*> installed{nullptr};

} // namespace

FtdiApi& GetFtdiApi() {
    FtdiApi* api = installed.load();
    return api ? *api : BuiltInFtdiApi();
}

FtdiApi* SetFtdiApi(FtdiApi* api) {
    return installed.exchange(api);
}

} // namespace tarvex
