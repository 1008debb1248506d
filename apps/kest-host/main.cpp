// kest-host: a scriptable SECS/GEM host on Kest's own driver, for engineers and for tests.
#include <CLI/CLI.hpp>

#include <asio/post.hpp>
#include <deque>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "host_session.h"
#include "script.h"

namespace {

std::string ReadAll(std::istream& in) {
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool ParseEndpoint(const std::string& text, std::string& address, int& port) {
    std::size_t colon = text.rfind(':');
    std::string port_text = colon == std::string::npos ? text : text.substr(colon + 1);
    if (colon != std::string::npos) address = text.substr(0, colon);
    try {
        port = std::stoi(port_text);
    } catch (const std::exception&) {
        return false;
    }
    return port > 0 && port < 65536;
}

// Reads the terminal on a thread of its own and hands each line to the session's thread, so
// the equipment's primaries are answered while the operator types.
void RunInteractive(asio::io_context& io, kest::host::HostSession& session,
                    kest::host::ScriptRunner& runner) {
    std::deque<std::string> lines;
    bool eof = false;
    std::thread reader([&io, &lines, &eof] {
        std::string line;
        while (std::getline(std::cin, line)) {
            asio::post(io, [&lines, line] { lines.push_back(line); });
            if (line == "quit" || line == "exit") break;  // the reader ends with the session
        }
        asio::post(io, [&eof] { eof = true; });
    });
    std::cout << "kest-host> " << std::flush;
    while (!eof || !lines.empty()) {
        if (lines.empty()) {
            session.Pause(std::chrono::milliseconds(50));
            continue;
        }
        std::string line = lines.front();
        lines.pop_front();
        if (line == "quit" || line == "exit") continue;  // eof follows
        if (!line.empty()) runner.Run(line);
        std::cout << "kest-host> " << std::flush;
    }
    reader.join();
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"kest-host: a scriptable SECS/GEM host (HSMS-SS or SECS-I)"};
    std::string connect = "127.0.0.1:5000";
    std::string listen;
    std::string secs1_device;
    std::string secs1_tcp;
    std::string script_file;
    bool interactive = false;
    bool no_establish = false;
    int device_id = 0;
    int timeout_ms = 10000;
    int t3 = 45;
    bool quiet = false;
    std::string log_file;
    std::vector<std::string> messages;
    app.add_option("--connect", connect, "Connect to the equipment at HOST:PORT (active)")
        ->capture_default_str();
    app.add_option("--listen", listen, "Listen on [ADDRESS:]PORT instead (passive)");
    app.add_option("--secs1", secs1_device, "Run SECS-I on this serial DEVICE instead of HSMS");
    app.add_option("--secs1-tcp", secs1_tcp,
                   "Run SECS-I over TCP instead of HSMS, connecting to HOST:PORT");
    app.add_option("--device-id", device_id, "Device ID (session ID)")->capture_default_str();
    app.add_option("--script", script_file, "Run the steps of this file ('-' for stdin)");
    app.add_flag("--interactive", interactive, "Read steps from the terminal after the rest");
    app.add_flag("--no-establish", no_establish, "Do not send S1F13 after connecting");
    app.add_option("--timeout", timeout_ms, "Bound of every wait, in milliseconds")
        ->capture_default_str();
    app.add_option("--t3", t3, "Reply time-out T3, in seconds")->capture_default_str();
    app.add_option("--log", log_file, "Write the SECS-II log to this file");
    app.add_flag("--quiet", quiet, "Print failures only");
    app.add_option("messages", messages, "Messages in SML to send in order, e.g. 'S1F3 W <L>'");
    app.footer(
        "Script steps: open, close, establish, send MSG, expect PATTERN, await [Nms] PATTERN,\n"
        "reply SxFy MSG, pause MS, echo TEXT. <V> in a pattern matches any one item.\n"
        "Exit status: 0 when every step held, 1 when one failed, 2 when the session could\n"
        "not start.");
    CLI11_PARSE(app, argc, argv);

    kest::host::SessionOptions options;
    options.active = listen.empty();
    options.secs1_device = secs1_device;
    options.secs1_tcp = !secs1_tcp.empty();
    if (options.secs1_tcp) {
        connect = secs1_tcp;
        options.active = true;
    }
    if (!ParseEndpoint(options.active ? connect : listen, options.address, options.port)) {
        std::cerr << "kest-host: bad endpoint '" << (options.active ? connect : listen) << "'\n";
        return 2;
    }
    if (!options.active && listen.find(':') == std::string::npos) options.address = "0.0.0.0";
    options.device_id = device_id;
    options.timeout = std::chrono::milliseconds(timeout_ms);
    options.t3_seconds = t3;
    options.log_file = log_file;
    options.quiet = quiet;

    std::vector<std::string> commands;
    try {
        if (!script_file.empty()) {
            std::string text;
            if (script_file == "-") {
                text = ReadAll(std::cin);
            } else {
                std::ifstream in(script_file);
                if (!in) {
                    std::cerr << "kest-host: cannot read " << script_file << "\n";
                    return 2;
                }
                text = ReadAll(in);
            }
            commands = kest::host::ScriptRunner::Commands(text, script_file);
        }
    } catch (const std::exception& e) {
        std::cerr << "kest-host: " << e.what() << "\n";
        return 2;
    }

    asio::io_context io;
    auto session = std::make_shared<kest::host::HostSession>(io, options, std::cout);
    if (!session->Open()) return 2;
    if (!no_establish && !session->Establish()) return 1;
    kest::host::ScriptRunner runner(*session);
    for (const auto& message : messages)
        runner.Run("send " + message);
    for (const auto& command : commands)
        runner.Run(command);
    if (interactive) RunInteractive(io, *session, runner);
    session->Close();
    return runner.Failures() == 0 ? 0 : 1;
}
