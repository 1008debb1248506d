// The control's factory members: each hands out a fresh service object attached to it.
#include "control/control_core.h"
#include "services/gem_clock.h"
#include "services/gem_estab_comm.h"
#include "services/gem_heart_beat.h"
#include "services/gem_map.h"
#include "services/gem_process_program.h"
#include "services/gem_terminal.h"

namespace kest {

namespace {

template <typename Service>
std::shared_ptr<Service> Attached(const std::shared_ptr<ControlCore>& control) {
    auto service = std::make_shared<Service>();
    service->SetParent(control);
    return service;
}

}  // namespace

std::shared_ptr<kest::GEMEstabComm> ControlCore::GEMEstabComm() {
    return Attached<kest::GEMEstabComm>(Self());
}

std::shared_ptr<kest::GEMHeartBeat> ControlCore::GEMHeartBeat() {
    return Attached<kest::GEMHeartBeat>(Self());
}

std::shared_ptr<kest::GEMClock> ControlCore::GEMClock() {
    return Attached<kest::GEMClock>(Self());
}

std::shared_ptr<kest::GEMTerminal> ControlCore::GEMTerminal() {
    return Attached<kest::GEMTerminal>(Self());
}

std::shared_ptr<kest::GEMProcessProgram> ControlCore::GEMProcessProgram() {
    return Attached<kest::GEMProcessProgram>(Self());
}

std::shared_ptr<kest::GEMMap> ControlCore::GEMMap() {
    return Attached<kest::GEMMap>(Self());
}

std::shared_ptr<kest::GEMessage> ControlCore::GEMessage() {
    return Attached<kest::GEMessage>(Self());
}

}  // namespace kest
