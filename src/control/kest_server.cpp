// The application's face of the control: each member hands over to the engine.
#include "control/kest_server.h"

#include "control/control_core.h"

namespace kest {

std::shared_ptr<KestServer> KestServer::Create(asio::any_io_executor executor,
                                               std::filesystem::path app_directory,
                                               KestServerOptions options) {
    auto core =
        ControlCore::Create(std::move(executor), std::move(app_directory), std::move(options));
    return std::shared_ptr<KestServer>(new KestServer(std::move(core)));
}

KestServer::KestServer(std::shared_ptr<ControlCore> core) : core_(std::move(core)) {}

// The engine is shared with the services the application holds; it goes when they do.
KestServer::~KestServer() = default;

const std::shared_ptr<ControlCore>& KestServerAccess::Core(const KestServer& server) {
    return server.core_;
}

Subscription KestServer::Subscribe(KestListener listener) {
    return core_->Subscribe(std::move(listener));
}

asio::any_io_executor KestServer::Executor() const {
    return core_->Executor();
}

std::int32_t KestServer::GEMTimeout() const noexcept {
    return core_->GEMTimeout();
}

void KestServer::SetGEMTimeout(std::int32_t seconds) noexcept {
    core_->SetGEMTimeout(seconds);
}

bool KestServer::IsAlarmLast() const noexcept {
    return core_->IsAlarmLast();
}

void KestServer::SetIsAlarmLast(bool value) noexcept {
    core_->SetIsAlarmLast(value);
}

const std::string& KestServer::LatestAlarmID() const noexcept {
    return core_->LatestAlarmID();
}

void KestServer::SetLatestAlarmID(std::string value) {
    core_->SetLatestAlarmID(std::move(value));
}

bool KestServer::AlarmSet() const noexcept {
    return core_->AlarmSet();
}

void KestServer::SetAlarmSet(bool value) noexcept {
    core_->SetAlarmSet(value);
}

const std::string& KestServer::LatestAlarmText() const noexcept {
    return core_->LatestAlarmText();
}

void KestServer::SetLatestAlarmText(std::string value) {
    core_->SetLatestAlarmText(std::move(value));
}

std::shared_ptr<kest::GEMDB> KestServer::GEMDB() const noexcept {
    return core_->GEMDB();
}

std::shared_ptr<kest::SECSInitialize> KestServer::SECSInitialize() const noexcept {
    return core_->SECSInitialize();
}

std::shared_ptr<kest::SECSProtocol> KestServer::SECSProtocol() const noexcept {
    return core_->SECSProtocol();
}

KestCommand KestServer::GEMCommand() {
    return core_->GEMCommand();
}

std::shared_ptr<kest::GEMEstabComm> KestServer::GEMEstabComm() {
    return core_->GEMEstabComm();
}

std::shared_ptr<kest::GEMHeartBeat> KestServer::GEMHeartBeat() {
    return core_->GEMHeartBeat();
}

std::shared_ptr<kest::GEMClock> KestServer::GEMClock() {
    return core_->GEMClock();
}

std::shared_ptr<kest::GEMAlarm> KestServer::GEMAlarm() {
    return core_->GEMAlarm();
}

std::shared_ptr<kest::GEMEventReport> KestServer::GEMEventReport() {
    return core_->GEMEventReport();
}

bool KestServer::StartGEMTool() {
    return core_->StartGEMTool();
}

bool KestServer::StopGEMTool() {
    return core_->StopGEMTool();
}

bool KestServer::ShowGEMTool(bool modal) {
    return core_->ShowGEMTool(modal);
}

bool KestServer::HideGEMTool() {
    return core_->HideGEMTool();
}

bool KestServer::RefreshGEMTool() {
    return core_->RefreshGEMTool();
}

frmMain* KestServer::FrmGEMTool() const noexcept {
    return core_->FrmGEMTool();
}

GEM_COMMSTATE KestServer::CommState() const {
    return core_->State().Comm();
}

GEM_CONTROLSTATE KestServer::ControlState() const {
    return core_->State().Control();
}

bool KestServer::UpdateProcessState(const std::string& new_state) {
    return core_->UpdateProcessState(new_state);
}

bool KestServer::UpdatePPEXECName(const std::string& ppid) {
    return core_->UpdatePPEXECName(ppid);
}

bool KestServer::UpdatePPChange(const std::string& ppid, std::int32_t change_status) {
    return core_->UpdatePPChange(ppid, change_status);
}

bool KestServer::ReplyCommand(const KestCommand& command) {
    return core_->ReplyCommand(command);
}

bool KestServer::Send_Msg(const std::string& text) {
    return core_->Send_Msg(text);
}

bool KestServer::Send_S14F1(const std::string& file_name, const std::string& path) {
    return core_->Send_S14F1(file_name, path);
}

Variant KestServer::Send_S6F11_UploadMapData(const std::string& file_name,
                                             const std::string& path) {
    return core_->Send_S6F11_UploadMapData(file_name, path);
}

Variant KestServer::Send_S7F23(const std::string& file_name, const std::string& path) {
    return core_->Send_S7F23(file_name, path);
}

Variant KestServer::Send_S6F11(const std::string& ceid) {
    return core_->Send_S6F11(ceid);
}

}  // namespace kest
