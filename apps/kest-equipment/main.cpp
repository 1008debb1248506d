// kest-equipment: a sample equipment that embeds Kest the way a real tool does.
#include <CLI/CLI.hpp>

#include <asio/io_context.hpp>
#include <asio/post.hpp>
#include <asio/signal_set.hpp>
#include <asio/steady_timer.hpp>
#include <csignal>
#include <iostream>

#include "console.h"
#include "control/app_directory.h"
#include "control/kest_server.h"
#include "gemdb/gemdb.h"
#include "process_simulator.h"
#include "queue/queue_store.h"
#include "queue_reader.h"
#include "settings/secs_protocol.h"
#include "ui/frm_main.h"

namespace kest {
std::string_view SampleEquipmentSql();  // compiled in from equipment.sql
}

namespace {

struct Options {
    int port = 5000;
    std::string listen_address = "0.0.0.0";
    std::string connect;       // HOST:PORT in active mode
    std::string secs1_device;  // SECS-I over this serial device instead of HSMS
    std::string secs1_tcp;     // SECS-I over TCP, listening on [ADDRESS:]PORT
    int device_id = 0;
    std::string data_dir = "kest-equipment-data";
    std::string log_level = "info";
    int cycle_ms = 1000;
    int run_for_s = 0;
    bool offset_clock = false;  // the host's time sets move an offset, not the machine's clock
};

void ConfigureLink(kest::KestServer& server, const Options& o) {
    kest::SECSProtocol& protocol = *server.SECSProtocol();
    protocol.SetConnectionPortType(kest::enmPortType::PortTypeHSMS_SS);
    protocol.SetDeviceID(o.device_id);
    if (!o.secs1_device.empty()) {
        protocol.SetConnectionPortType(kest::enmPortType::PortTypeRS232);
        protocol.SetSerialPort(o.secs1_device);
    } else if (!o.secs1_tcp.empty()) {
        // Terminal-server style: the same block protocol on a TCP byte stream; we listen.
        auto colon = o.secs1_tcp.rfind(':');
        protocol.SetConnectionPortType(kest::enmPortType::PortTypeTCPIP);
        protocol.SetHSMSConnectionType(kest::enmConnectionMode::ConnectionModePassive);
        protocol.SetLocalIPAddress(colon == std::string::npos ? o.listen_address
                                                              : o.secs1_tcp.substr(0, colon));
        protocol.SetLocalIPPort(
            std::stoi(o.secs1_tcp.substr(colon == std::string::npos ? 0 : colon + 1)));
    } else if (o.connect.empty()) {
        protocol.SetHSMSConnectionType(kest::enmConnectionMode::ConnectionModePassive);
        protocol.SetLocalIPAddress(o.listen_address);
        protocol.SetLocalIPPort(o.port);
    } else {
        auto colon = o.connect.rfind(':');
        protocol.SetHSMSConnectionType(kest::enmConnectionMode::ConnectionModeActive);
        protocol.SetRemoteIPAddress(o.connect.substr(0, colon));
        protocol.SetRemoteIPPort(
            colon == std::string::npos ? o.port : std::stoi(o.connect.substr(colon + 1)));
    }
    protocol.SaveSetting();
    server.GEMDB()->SettingSetField("PortOpenAtStartUp", kest::FLDID_SETTING::SET_VALUE, "TRUE");
}

// Remote commands START, STOP and PAUSE drive the simulated process; others are refused
// (HCACK 1, command does not exist).
kest::KestListener CommandAnswerer(kest::KestServer& server,
                                   kest::equipment::ProcessSimulator& process) {
    kest::KestListener listener;
    listener.CommandNotification = [&server, &process](kest::KestCommand& command) {
        if (command.RCMD == "BURST") {
            // BURST {COUNT n}: n event reports at full speed, for load tests.
            std::int64_t count = 0;
            for (const auto& input : command.Inputs()) {
                if (input.CPNAME == "COUNT" && input.CPVAL.IsNumeric()) {
                    count = input.CPVAL.ToInt64();
                }
            }
            command.HCACK = count > 0 ? 0 : 3;  // 3: a parameter is invalid
            server.ReplyCommand(command);
            if (count > 0) process.Burst(count);
            return;
        }
        command.HCACK = process.Command(command.RCMD) ? 0 : 1;
        server.ReplyCommand(command);
    };
    return listener;
}

// Nobody stands at this equipment: when the link comes back after a loss (which disables
// communication), enable communication again as an operator would.
kest::KestListener UnattendedOperator(const std::shared_ptr<kest::KestServer>& server) {
    kest::KestListener listener;
    listener.EventNotification = [weak = std::weak_ptr(server)](const kest::KestEvent& event) {
        if (event.ServiceName != "SECSProtocol" || event.EventName != "Connect") return;
        auto s = weak.lock();
        if (!s) return;
        asio::post(s->Executor(), [weak] {
            auto s = weak.lock();
            if (s && s->FrmGEMTool() && s->CommState() == kest::GEM_COMMSTATE::DISABLE) {
                s->FrmGEMTool()->EnableCommunication();
            }
        });
    };
    return listener;
}

// The equipment software's side of the local queues: S2F21 remote commands drive the process
// like S2F41 ones; the host's acknowledgements are logged.
std::unique_ptr<kest::equipment::QueueReader> ReadQueues(
    asio::io_context& io, const Options& o, kest::equipment::ProcessSimulator& process) {
    const std::string commands = kest::QueueNameOfPath(kest::kRemoteCommandQueuePath);
    const std::string acknowledgements = kest::QueueNameOfPath(kest::kAcknowledgeQueuePath);
    auto on_message = [&process, commands](const kest::QueueMessage& m) {
        std::string line = "<QUEUE> [" + m.Queue + "] " + m.Label;
        if (m.Queue == commands) line += process.Command(m.Label) ? " done" : " refused";
        std::cout << line << std::endl;
    };
    auto on_error = [](const std::string& text) {
        std::cout << "<QUEUE ERROR> " << text << std::endl;
    };
    return std::make_unique<kest::equipment::QueueReader>(kest::QueueStore::PathIn(o.data_dir),
                                                          std::vector{acknowledgements, commands},
                                                          io.get_executor(), on_message, on_error);
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"kest-equipment: a sample SECS/GEM equipment on Kest"};
    Options o;
    app.add_option("--port", o.port, "HSMS port to listen on (passive mode)")
        ->capture_default_str();
    app.add_option("--listen-address", o.listen_address, "Address to listen on")
        ->capture_default_str();
    app.add_option("--connect", o.connect, "Connect to a host at HOST:PORT (active mode)");
    app.add_option("--secs1", o.secs1_device, "Run SECS-I on this serial DEVICE instead of HSMS");
    app.add_option("--secs1-tcp", o.secs1_tcp,
                   "Run SECS-I over TCP instead of HSMS, listening on [ADDRESS:]PORT");
    app.add_option("--device-id", o.device_id, "SECS device ID")->capture_default_str();
    app.add_option("--data-dir", o.data_dir, "Where GEM.mdb, Default.xml and Log/ live")
        ->capture_default_str();
    app.add_option("--log-level", o.log_level, "error, info or debug")->capture_default_str();
    app.add_option("--cycle-ms", o.cycle_ms, "Milliseconds between process steps")
        ->capture_default_str();
    app.add_option("--run-for", o.run_for_s, "Stop after this many seconds (0: until signalled)");
    app.add_flag("--offset-clock", o.offset_clock,
                 "Keep the equipment time as an offset from the system clock, so the host can "
                 "set it without the privilege to change the machine's time");
    app.footer("Stops cleanly on Ctrl-C or SIGTERM. The first run creates the data directory.");
    CLI11_PARSE(app, argc, argv);

    kest::equipment::LogLevel level;
    if (!kest::equipment::ParseLogLevel(o.log_level, level)) {
        std::cerr << "kest-equipment: unknown log level '" << o.log_level << "'\n";
        return 2;
    }
    try {
        kest::PrepareAppDirectory(o.data_dir, kest::SampleEquipmentSql());
    } catch (const std::exception& e) {
        std::cerr << "kest-equipment: cannot prepare " << o.data_dir << ": " << e.what() << "\n";
        return 1;
    }

    asio::io_context io;
    kest::KestServerOptions options;
    options.listener = kest::equipment::ConsoleListener(std::cout, level);
    options.offset_clock = o.offset_clock;
    auto server = kest::KestServer::Create(io.get_executor(), o.data_dir, options);
    if (!server->GEMDB()) return 1;  // the box said why
    ConfigureLink(*server, o);
    kest::equipment::ProcessSimulator process(io.get_executor(), server,
                                              std::chrono::milliseconds(o.cycle_ms));
    auto commands = server->Subscribe(CommandAnswerer(*server, process));
    auto unattended = server->Subscribe(UnattendedOperator(server));
    auto queues = ReadQueues(io, o, process);
    server->StartGEMTool();
    process.Start();
    if (!o.secs1_device.empty()) {
        std::cout << "kest-equipment: SECS-I on " << o.secs1_device;
    } else if (o.connect.empty()) {
        // With --port 0 the system chose the port; tell whoever started us which one.
        int listening = server->SECSProtocol()->ListeningPort();
        int port = listening ? listening : o.port;
        std::cout << "kest-equipment: listening for a host on port " << port
                  << (o.secs1_tcp.empty() ? "" : " (SECS-I)");
    } else {
        std::cout << "kest-equipment: connecting to a host at " << o.connect;
    }
    std::cout << " (device ID " << o.device_id << ")" << std::endl;

    auto stop = [&] {
        queues.reset();
        process.Stop();
        server->StopGEMTool();
        commands.Cancel();
        unattended.Cancel();
        server.reset();
        io.stop();
    };
    asio::signal_set signals(io, SIGINT, SIGTERM);
    signals.async_wait([&](const std::error_code& ec, int) {
        if (!ec) stop();
    });
    asio::steady_timer deadline(io);
    if (o.run_for_s > 0) {
        deadline.expires_after(std::chrono::seconds(o.run_for_s));
        deadline.async_wait([&](const std::error_code& ec) {
            if (!ec) stop();
        });
    }
    io.run();
    std::cout << "kest-equipment: stopped" << std::endl;
    return 0;
}
