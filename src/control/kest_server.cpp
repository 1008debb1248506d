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

ControlCore& KestServer::Core() const {
    core_->AssertLoopThread();
    return *core_;
}

Subscription KestServer::Subscribe(KestListener listener) {
    return Core().Subscribe(std::move(listener));
}

asio::any_io_executor KestServer::Executor() const {
    return Core().Executor();
}

std::int32_t KestServer::GEMTimeout() const noexcept {
    return Core().GEMTimeout();
}

void KestServer::SetGEMTimeout(std::int32_t seconds) noexcept {
    Core().SetGEMTimeout(seconds);
}

bool KestServer::IsAlarmLast() const noexcept {
    return Core().IsAlarmLast();
}

void KestServer::SetIsAlarmLast(bool value) noexcept {
    Core().SetIsAlarmLast(value);
}

const std::string& KestServer::LatestAlarmID() const noexcept {
    return Core().LatestAlarmID();
}

void KestServer::SetLatestAlarmID(std::string value) {
    Core().SetLatestAlarmID(std::move(value));
}

bool KestServer::AlarmSet() const noexcept {
    return Core().AlarmSet();
}

void KestServer::SetAlarmSet(bool value) noexcept {
    Core().SetAlarmSet(value);
}

const std::string& KestServer::LatestAlarmText() const noexcept {
    return Core().LatestAlarmText();
}

void KestServer::SetLatestAlarmText(std::string value) {
    Core().SetLatestAlarmText(std::move(value));
}

std::shared_ptr<kest::GEMDB> KestServer::GEMDB() const noexcept {
    return Core().GEMDB();
}

std::shared_ptr<kest::SECSInitialize> KestServer::SECSInitialize() const noexcept {
    return Core().SECSInitialize();
}

std::shared_ptr<kest::SECSProtocol> KestServer::SECSProtocol() const noexcept {
    return Core().SECSProtocol();
}

KestCommand KestServer::GEMCommand() {
    return Core().GEMCommand();
}

std::shared_ptr<kest::GEMEstabComm> KestServer::GEMEstabComm() {
    return Core().GEMEstabComm();
}

std::shared_ptr<kest::GEMHeartBeat> KestServer::GEMHeartBeat() {
    return Core().GEMHeartBeat();
}

std::shared_ptr<kest::GEMClock> KestServer::GEMClock() {
    return Core().GEMClock();
}

std::shared_ptr<kest::GEMAlarm> KestServer::GEMAlarm() {
    return Core().GEMAlarm();
}

std::shared_ptr<kest::GEMTerminal> KestServer::GEMTerminal() {
    return Core().GEMTerminal();
}

std::shared_ptr<kest::GEMEventReport> KestServer::GEMEventReport() {
    return Core().GEMEventReport();
}

std::shared_ptr<kest::GEMProcessProgram> KestServer::GEMProcessProgram() {
    return Core().GEMProcessProgram();
}

std::shared_ptr<kest::GEMMap> KestServer::GEMMap() {
    return Core().GEMMap();
}

std::shared_ptr<kest::GEMessage> KestServer::GEMessage() {
    return Core().GEMessage();
}

bool KestServer::StartGEMTool() {
    return Core().StartGEMTool();
}

bool KestServer::StopGEMTool() {
    return Core().StopGEMTool();
}

bool KestServer::StartConsole(const std::string& address, int port) {
    return Core().StartConsole(address, port);
}

void KestServer::StopConsole() {
    Core().StopConsole();
}

int KestServer::ConsolePort() const noexcept {
    return Core().ConsolePort();
}

bool KestServer::ShowGEMTool(bool modal) {
    return Core().ShowGEMTool(modal);
}

bool KestServer::HideGEMTool() {
    return Core().HideGEMTool();
}

bool KestServer::RefreshGEMTool() {
    return Core().RefreshGEMTool();
}

frmMain* KestServer::FrmGEMTool() const noexcept {
    return Core().FrmGEMTool();
}

GEM_COMMSTATE KestServer::CommState() const {
    return Core().State().Comm();
}

GEM_CONTROLSTATE KestServer::ControlState() const {
    return Core().State().Control();
}

bool KestServer::UpdateProcessState(const std::string& new_state) {
    return Core().UpdateProcessState(new_state);
}

bool KestServer::UpdatePPEXECName(const std::string& ppid) {
    return Core().UpdatePPEXECName(ppid);
}

bool KestServer::UpdatePPChange(const std::string& ppid, std::int32_t change_status) {
    return Core().UpdatePPChange(ppid, change_status);
}

bool KestServer::ReplyCommand(const KestCommand& command) {
    return Core().ReplyCommand(command);
}

bool KestServer::Send_Msg(const std::string& text) {
    return Core().Send_Msg(text);
}

bool KestServer::Send_S14F1(const std::string& file_name, const std::string& path) {
    return Core().Send_S14F1(file_name, path);
}

Variant KestServer::Send_S6F11_UploadMapData(const std::string& file_name,
                                             const std::string& path) {
    return Core().Send_S6F11_UploadMapData(file_name, path);
}

Variant KestServer::Send_S7F23(const std::string& file_name, const std::string& path) {
    return Core().Send_S7F23(file_name, path);
}

Variant KestServer::Send_S6F11(const std::string& ceid) {
    return Core().Send_S6F11(ceid);
}

}  // namespace kest
