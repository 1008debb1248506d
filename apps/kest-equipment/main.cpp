// kest-equipment: a sample equipment that embeds Kest the way a real tool does.
#include <CLI/CLI.hpp>

#include <asio/io_context.hpp>
#include <asio/post.hpp>
#include <asio/signal_set.hpp>
#include <asio/steady_timer.hpp>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "console.h"
#include "control/app_directory.h"
#include "control/kest_server.h"
#include "gemdb/gemdb.h"
#include "process_simulator.h"
#include "queue/queue_store.h"
#include "queue_reader.h"
#include "services/gem_map.h"
#include "services/gem_process_program.h"
#include "services/gem_terminal.h"
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
    int console_port = -1;      // the web console's port; -1: no console
    std::string console_address = "127.0.0.1";
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

// The recipe directory under the data directory, made with two example programs when missing,
// and named as "PPDirectory" so the host can list, fetch, send and delete programs there.
std::filesystem::path PrepareRecipes(kest::KestServer& server, const Options& o) {
    const std::filesystem::path recipes = std::filesystem::absolute(o.data_dir) / "recipes";
    if (!std::filesystem::exists(recipes)) {
        std::filesystem::create_directories(recipes / "ETCH");
        std::ofstream(recipes / "OXIDE-1000", std::ios::binary)
            << "STEP 1 RAMP 900C 10MIN\nSTEP 2 HOLD 1000C 60MIN O2 5SLM\nSTEP 3 COOL\n";
        std::ofstream(recipes / "ETCH" / "POLY-STD", std::ios::binary)
            << "RF 300W\nPRESSURE 20MTORR\nCL2 50SCCM\nTIME 45S\n";
    }
    server.GEMDB()->VariableSetField("PPDirectory", kest::FLDID_VARIABLE::VAR_VAL, recipes.string(),
                                     true);
    return recipes;
}

// UPLOAD {PPID name}: offers the program to the host (S7F1, then S7F3 when granted). HCACK 3
// when the parameter is missing or names no program.
void Upload(kest::KestServer& server, const std::filesystem::path& recipes,
            kest::KestCommand& command) {
    std::string ppid;
    for (const auto& input : command.Inputs())
        if (input.CPNAME == "PPID") ppid = input.CPVAL.ToText();
    std::error_code error;
    const auto size = ppid.empty() ? 0 : std::filesystem::file_size(recipes / ppid, error);
    const bool known = !ppid.empty() && !error && size > 0 && size <= INT32_MAX &&
                       ppid.find_first_of("/\\") == std::string::npos;
    command.HCACK = known ? 0 : 3;
    server.ReplyCommand(command);
    if (known) {
        server.GEMProcessProgram()->RecipeUploadToHost(ppid, static_cast<std::int32_t>(size),
                                                       recipes.string());
    }
}

// The map commands a host uses to make this equipment start a transfer:
//   MAP {FUNCTION n}   sends the stream 12 message of odd function n from the EquipToHost rows
//   MAPECHO            copies the dies the host last sent (S12F18) into the EquipToHost rows
//                      and sends them back as S12F11
//   MAPOBJECT {OBJID}  asks the host for the object's map data (S14F1)
void AnswerMapCommand(kest::KestServer& server, kest::KestCommand& command) {
    std::string value;
    for (const auto& input : command.Inputs()) {
        if (input.CPNAME == "FUNCTION" || input.CPNAME == "OBJID") value = input.CPVAL.ToText();
    }
    const bool echo = command.RCMD == "MAPECHO";
    const bool known = echo || command.RCMD == "MAP" || command.RCMD == "MAPOBJECT";
    command.HCACK = !known ? 1 : (!echo && value.empty()) ? 3 : 0;
    server.ReplyCommand(command);
    if (command.HCACK != 0) return;
    if (command.RCMD == "MAPOBJECT") {
        server.Send_S14F1(value, "");
        return;
    }
    if (echo) {
        std::vector<kest::MapDataRow> dies;
        for (auto& row : server.GEMDB()->MapDataRows("secs_S12data_HostToEquip")) {
            if (row.name == "S12F18_ChildCount") row.name = "S12F11_Count";
            if (row.name == "XYPOS" || row.name == "BINLT" || row.name == "S12F11_Count") {
                dies.push_back(std::move(row));
            }
        }
        server.GEMDB()->UpdateMapRows("secs_S12data_EquipToHost", dies);
        value = "11";
    }
    server.GEMMap()->MapSetupDataSend(value);
}

// Remote commands START, STOP and PAUSE drive the simulated process, UPLOAD sends a process
// program, MAP, MAPECHO and MAPOBJECT start map transfers; others are refused (HCACK 1, command
// does not exist).
kest::KestListener CommandAnswerer(kest::KestServer& server,
                                   kest::equipment::ProcessSimulator& process,
                                   const std::filesystem::path& recipes) {
    kest::KestListener listener;
    listener.CommandNotification = [&server, &process, recipes](kest::KestCommand& command) {
        if (command.RCMD == "UPLOAD") {
            Upload(server, recipes, command);
            return;
        }
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
        if (command.RCMD.starts_with("MAP")) {
            AnswerMapCommand(server, command);
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

// The operator's answer to a terminal message from the host: the text is shown (logged here)
// and acknowledged with a terminal request of our own, so the host sees its text come back.
kest::KestListener TerminalEcho(const std::shared_ptr<kest::KestServer>& server) {
    kest::KestListener listener;
    listener.EventNotification = [weak = std::weak_ptr(server)](const kest::KestEvent& event) {
        if (event.ServiceName != "GEMTerminal" || event.EventName != "MessageReceived") return;
        const std::string text = event.Output("TEXT").ToText();
        std::cout << "<TERMINAL> " << text << std::endl;
        if (text == "NULL") return;  // the host cleared the display: nothing to answer
        auto s = weak.lock();
        if (!s) return;
        // After the handler has answered the host's message, not inside it.
        asio::post(s->Executor(), [weak, text] {
            if (auto s = weak.lock()) s->GEMTerminal()->TerminalRequest(0, "Received: " + text);
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
    app.add_option("--console", o.console_port,
                   "Serve the operator console on this port (0: any free port)");
    app.add_option("--console-address", o.console_address, "Address the console listens on")
        ->capture_default_str();
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
    const std::filesystem::path recipes = PrepareRecipes(*server, o);
    kest::equipment::ProcessSimulator process(io.get_executor(), server,
                                              std::chrono::milliseconds(o.cycle_ms));
    auto commands = server->Subscribe(CommandAnswerer(*server, process, recipes));
    auto unattended = server->Subscribe(UnattendedOperator(server));
    auto terminal = server->Subscribe(TerminalEcho(server));
    auto queues = ReadQueues(io, o, process);
    server->StartGEMTool();
    if (o.console_port >= 0) {
        if (!server->StartConsole(o.console_address, o.console_port)) return 1;
        std::cout << "kest-equipment: console at http://" << o.console_address << ":"
                  << server->ConsolePort() << "/" << std::endl;
    }
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
        terminal.Cancel();
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
