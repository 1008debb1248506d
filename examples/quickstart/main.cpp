// A piece of equipment embedding Kest: it listens for the host (the port settings live in
// GEM.mdb), reports its process state and answers remote commands.
#include <asio/io_context.hpp>
#include <asio/signal_set.hpp>
#include <iostream>

#include "control/app_directory.h"
#include "control/kest_server.h"
#include "services/gem_event_report.h"

int main(int argc, char** argv) {
    std::filesystem::path dir = argc > 1 ? argv[1] : "quickstart-data";
    kest::PrepareAppDirectory(dir);  // GEM.mdb and Default.xml on the first run

    asio::io_context loop;  // the application's message loop
    auto gem = kest::KestServer::Create(loop.get_executor(), dir);
    auto listening = gem->Subscribe({
        .ErrorNotification =
            [](const kest::KestError& e) {
                std::cerr << e.ErrSource << " [" << e.ErrCode << "] " << e.ErrText << "\n";
            },
        .EventNotification =
            [](const kest::KestEvent& e) {
                std::cout << e.ServiceName << " " << e.EventName << "\n";
            },
        .CommandNotification =
            [&](kest::KestCommand& c) {
                c.HCACK = c.RCMD == "START" ? 0 : 1;  // 1: no such command
                gem->ReplyCommand(c);
            },
    });
    gem->StartGEMTool();              // initial states; opens the port
    gem->UpdateProcessState("IDLE");  // reported to the host as GemProcessStateChange
    gem->GEMEventReport()->SendEventRptByName("GemMessageAcknowledge");

    asio::signal_set stop(loop, SIGINT, SIGTERM);
    stop.async_wait([&](const std::error_code&, int) {
        gem.reset();  // closes the port
        loop.stop();
    });
    if (argc > 2)
        loop.run_for(std::chrono::milliseconds(std::stoi(argv[2])));
    else
        loop.run();
    return 0;
}
