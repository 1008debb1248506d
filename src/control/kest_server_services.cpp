// The control's factory members: each hands out a fresh service object attached to it.
#include "control/kest_server.h"
#include "services/gem_clock.h"
#include "services/gem_estab_comm.h"
#include "services/gem_heart_beat.h"

namespace kest {

namespace {

template <typename Service>
std::shared_ptr<Service> Attached(const std::shared_ptr<KestServer>& control) {
    auto service = std::make_shared<Service>();
    service->SetParent(control);
    return service;
}

}  // namespace

std::shared_ptr<kest::GEMEstabComm> KestServer::GEMEstabComm() {
    return Attached<kest::GEMEstabComm>(shared_from_this());
}

std::shared_ptr<kest::GEMHeartBeat> KestServer::GEMHeartBeat() {
    return Attached<kest::GEMHeartBeat>(shared_from_this());
}

std::shared_ptr<kest::GEMClock> KestServer::GEMClock() {
    return Attached<kest::GEMClock>(shared_from_this());
}

}  // namespace kest
