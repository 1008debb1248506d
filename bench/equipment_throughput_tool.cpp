// Throughput and memory of the sample equipment over loopback, next to the physical limit: a raw
// TCP ping-pong of the same frame sizes in the same run.
//
//   equipment_throughput_tool [--equipment PATH] [--count N] [--memory-messages N]
//                             [--strace PATH] [--stalled-host N]
//
// Measures S1F1 round trips a second (one outstanding), S1F3 for every status variable a
// second, and S6F11 event reports a second received by the host (the equipment's BURST
// command), then the equipment's resident size idle and after N more host messages.
// --strace counts the equipment's system calls per S1F1 round trip (strace attached to it for
// a separate run, so the rates above are not slowed). --stalled-host N ends with a host that
// selects, sends N S1F3 with the W-bit and never reads: the equipment's resident size while
// its replies pile up, and whether it drops that host.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <asio/io_context.hpp>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "driver/secs_transaction.h"
#include "driver/vortel_tool.h"
#include "secs/build.h"
#include "secs/codec.h"
#include "support/child_process.h"

namespace {

using namespace kest;
using namespace kest::build;
using SteadyClock = std::chrono::steady_clock;

double Seconds(SteadyClock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// --- The host side on our own driver -----------------------------------------------------

class Host final : public SecsDriverEvents {
  public:
    void Connect() override { selected = true; }
    void Disconnect(int, const std::string&) override { selected = false; }
    void ReceivedPrimary(std::shared_ptr<SecsTransaction> trans, int, const std::string&) override {
        if (trans->Primary().Name() == "S6F11") {
            ++reports;
            report_size = EncodeBody(trans->Primary()).size();
        }
        if (trans->ReplyExpected()) trans->Reply();  // the dictionary's shells acknowledge 0
    }
    void ReceivedSecondary(std::shared_ptr<SecsTransaction>, int, const std::string&) override {
        ++replies;
    }
    void Error(const DriverError& e) override {
        std::cerr << "host error " << e.code << ": " << e.text << "\n";
    }

    bool selected = false;
    std::size_t replies = 0;
    std::size_t reports = 0;
    std::size_t report_size = 0;
};

struct Session {
    asio::io_context io;
    std::shared_ptr<Host> events = std::make_shared<Host>();
    std::shared_ptr<VortelTool> driver = VortelTool::Create(io.get_executor());

    bool RunUntil(const std::function<bool()>& done,
                  std::chrono::seconds limit = std::chrono::seconds(60)) {
        auto end = SteadyClock::now() + limit;
        while (!done() && SteadyClock::now() < end)
            io.run_one_for(std::chrono::milliseconds(50));
        return done();
    }

    // Sends `message` `count` times with up to `window` outstanding; returns the seconds taken.
    double Exchange(const SecsMessage& message, std::size_t count, std::size_t window) {
        std::size_t sent = 0;
        std::size_t start = events->replies;
        auto begin = SteadyClock::now();
        auto pump = [&] {
            while (sent < count && sent - (events->replies - start) < window) {
                auto trans = driver->CreateTransaction();
                trans->Primary() = message;
                if (!trans->Send()) return false;
                ++sent;
            }
            return true;
        };
        while (events->replies - start < count) {
            if (!pump()) return -1;
            io.run_one_for(std::chrono::milliseconds(100));
        }
        return Seconds(SteadyClock::now() - begin);
    }
};

// --- The raw limit: length-prefixed frames, nothing parsed ---------------------------------

int Listen(std::uint16_t& port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(fd, 1);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

int ConnectTo(std::uint16_t port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadFrame(int fd, std::vector<std::uint8_t>& frame) {
    auto read_exact = [&](std::uint8_t* p, std::size_t size) {
        std::size_t done = 0;
        while (done < size) {
            ssize_t n = read(fd, p + done, size - done);
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    };
    std::uint8_t prefix[4];
    if (!read_exact(prefix, 4)) return false;
    std::size_t length = (std::size_t{prefix[0]} << 24) | (std::size_t{prefix[1]} << 16) |
                         (std::size_t{prefix[2]} << 8) | prefix[3];
    frame.resize(length);
    return read_exact(frame.data(), length);
}

std::vector<std::uint8_t> Frame(std::size_t body) {
    std::size_t length = 10 + body;
    std::vector<std::uint8_t> frame(4 + length, 0);
    frame[0] = static_cast<std::uint8_t>(length >> 24);
    frame[1] = static_cast<std::uint8_t>(length >> 16);
    frame[2] = static_cast<std::uint8_t>(length >> 8);
    frame[3] = static_cast<std::uint8_t>(length);
    return frame;
}

// Round trips a second of a request of `request` body bytes answered with `reply` body bytes.
double RawPingPong(std::size_t request, std::size_t reply, std::size_t count) {
    std::uint16_t port = 0;
    int listener = Listen(port);
    std::thread server([&] {
        int fd = accept(listener, nullptr, nullptr);
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        auto answer = Frame(reply);
        std::vector<std::uint8_t> frame;
        while (ReadFrame(fd, frame) && WriteAll(fd, answer)) {
        }
        close(fd);
    });
    int fd = ConnectTo(port);
    auto question = Frame(request);
    std::vector<std::uint8_t> frame;
    auto begin = SteadyClock::now();
    for (std::size_t i = 0; i < count; ++i) {
        WriteAll(fd, question);
        ReadFrame(fd, frame);
    }
    double seconds = Seconds(SteadyClock::now() - begin);
    close(fd);
    server.join();
    close(listener);
    return count / seconds;
}

// Frames a second of `report` body bytes streamed by one side, each acknowledged by the other.
double RawStream(std::size_t report, std::size_t ack, std::size_t count) {
    std::uint16_t port = 0;
    int listener = Listen(port);
    std::thread sender([&] {
        int fd = accept(listener, nullptr, nullptr);
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::thread acks([fd, count] {
            std::vector<std::uint8_t> frame;
            for (std::size_t i = 0; i < count && ReadFrame(fd, frame); ++i) {
            }
        });
        auto frame = Frame(report);
        for (std::size_t i = 0; i < count; ++i)
            WriteAll(fd, frame);
        acks.join();
        close(fd);
    });
    int fd = ConnectTo(port);
    auto answer = Frame(ack);
    std::vector<std::uint8_t> frame;
    auto begin = SteadyClock::now();
    for (std::size_t i = 0; i < count; ++i) {
        ReadFrame(fd, frame);
        WriteAll(fd, answer);
    }
    double seconds = Seconds(SteadyClock::now() - begin);
    sender.join();
    close(fd);
    close(listener);
    return count / seconds;
}

// The "total" row of an `strace -c` summary: the number of calls.
long StraceTotal(const std::filesystem::path& summary) {
    std::ifstream in(summary);
    std::string line;
    long total = -1;
    while (std::getline(in, line)) {
        if (line.find("total") == std::string::npos) continue;
        std::istringstream fields(line);
        std::vector<std::string> words{std::istream_iterator<std::string>(fields), {}};
        if (words.size() >= 4) total = std::stol(words[3]);
    }
    return total;
}

long ResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

void Row(const char* what, double rate, double limit) {
    std::printf("%-34s %10.0f /s   raw %10.0f /s   ratio %5.1f%%\n", what, rate, limit,
                100.0 * rate / limit);
}

// A host that selects, then sends S1F3 with the W-bit and never reads a reply.
void StalledHost(kest::test::Child& equipment, int port, std::size_t messages) {
    int fd = ConnectTo(static_cast<std::uint16_t>(port));
    int small = 4096;  // our receive window stays small: the replies back up into the equipment
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    auto frame = Frame(0);
    frame[4] = 0xFF;  // session ID 0xFFFF, SType 1 (Select.req), system bytes 1
    frame[5] = 0xFF;
    frame[9] = 1;
    frame[13] = 1;
    WriteAll(fd, frame);
    std::vector<std::uint8_t> reply;
    ReadFrame(fd, reply);  // Select.rsp
    auto body = EncodeBody(SecsMessage(1, 3, true, L()));
    auto s1f3 = Frame(body.size());
    s1f3[6] = 0x81;  // W-bit, stream 1
    s1f3[7] = 3;
    std::copy(body.begin(), body.end(), s1f3.begin() + 14);
    long peak = 0;
    std::size_t sent = 0;
    auto begin = SteadyClock::now();
    // The equipment may stop reading us once it drops the link: bound every write.
    timeval limit{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    for (; sent < messages; ++sent) {
        std::uint32_t id = static_cast<std::uint32_t>(sent + 1);
        s1f3[10] = static_cast<std::uint8_t>(id >> 24);
        s1f3[11] = static_cast<std::uint8_t>(id >> 16);
        s1f3[12] = static_cast<std::uint8_t>(id >> 8);
        s1f3[13] = static_cast<std::uint8_t>(id);
        if (!WriteAll(fd, s1f3)) break;
        if (sent % 1000 == 0) peak = std::max(peak, ResidentKiB(equipment.Pid()));
    }
    peak = std::max(peak, ResidentKiB(equipment.Pid()));
    // Now read what is there: a dropped connection ends in end-of-file.
    bool dropped = false;
    std::vector<std::uint8_t> frame_in;
    auto deadline = SteadyClock::now() + std::chrono::seconds(30);
    while (SteadyClock::now() < deadline) {
        if (!ReadFrame(fd, frame_in)) {
            dropped = true;
            break;
        }
    }
    close(fd);
    std::printf("Stalled host: %zu S1F3 sent in %.1f s; equipment resident peak %ld KiB; %s\n",
                sent, Seconds(SteadyClock::now() - begin), peak,
                dropped ? "connection dropped by the equipment" : "connection still open");
}

}  // namespace

int main(int argc, char** argv) {
    std::string equipment_path = std::string(KEST_BINARY_DIR) + "/apps/kest-equipment";
    std::size_t count = 20000;
    std::size_t memory_messages = 100000;
    std::string strace_path;
    std::size_t stalled_messages = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string flag = argv[i];
        if (flag == "--equipment") equipment_path = argv[i + 1];
        if (flag == "--strace") strace_path = argv[i + 1];
        if (flag == "--stalled-host") stalled_messages = std::stoul(argv[i + 1]);
        if (flag == "--count") count = std::stoul(argv[i + 1]);
        if (flag == "--memory-messages") memory_messages = std::stoul(argv[i + 1]);
    }
    auto data =
        std::filesystem::temp_directory_path() / ("kest_throughput_" + std::to_string(getpid()));
    std::filesystem::remove_all(data);
    kest::test::Child equipment({equipment_path, "--port", "0", "--listen-address", "127.0.0.1",
                                 "--data-dir", data.string(), "--cycle-ms", "3600000",
                                 "--log-level", "error"});
    std::string port = equipment.WaitFor(std::regex("on port ([0-9]+)"), std::chrono::seconds(30));
    if (port.empty()) {
        std::cerr << "the equipment did not start:\n" << equipment.Output();
        return 1;
    }

    Session host;
    host.driver->SetEvents(host.events);
    host.driver->SetHostRole(true);
    host.driver->SetConnectionMode(enmConnectionMode::ConnectionModeActive);
    host.driver->SetRemoteIPAddress("127.0.0.1");
    host.driver->SetRemoteIPPort(std::stoi(port));
    host.driver->SetLogEnabled(false);
    host.driver->OpenPort();
    if (!host.RunUntil([&] { return host.events->selected; })) return 1;
    host.Exchange(SecsMessage(1, 13, true, L()), 1, 1);
    host.io.run_for(std::chrono::milliseconds(300));  // let the equipment settle
    long idle = ResidentKiB(equipment.Pid());

    SecsMessage s1f1(1, 1, true);
    SecsMessage s1f3(1, 3, true, L());
    double t1 = host.Exchange(s1f1, count, 1);
    double t3 = host.Exchange(s1f3, count / 4, 1);

    auto s1f2 = SecsMessage(1, 2, false, L(A("KEST-SAMPLE"), A("1.0.0")));
    std::size_t s1f4_size = 0;
    {
        auto probe = host.driver->CreateTransaction();
        probe->Primary() = s1f3;
        probe->Send();
        std::size_t before = host.events->replies;
        host.RunUntil([&] { return host.events->replies > before; });
        s1f4_size = EncodeBody(probe->Secondary()).size();
    }

    if (!strace_path.empty()) {
        auto summary = data / "strace.txt";
        kest::test::Child tracer({strace_path, "-c", "-f", "-o", summary.string(), "-p",
                                  std::to_string(equipment.Pid())});
        tracer.WaitFor(std::regex("attached"), std::chrono::seconds(10));
        std::size_t traced = count / 4;
        host.Exchange(s1f1, traced, 1);
        tracer.Signal(SIGINT);
        tracer.Finish(std::chrono::seconds(10));
        long calls = StraceTotal(summary);
        std::printf("System calls per S1F1 round trip (strace -c -f): %.2f\n",
                    calls < 0 ? -1.0 : static_cast<double>(calls) / traced);
        std::ifstream table(summary);
        std::cout << table.rdbuf();
    }

    long before = ResidentKiB(equipment.Pid());
    host.Exchange(s1f1, memory_messages / 2, 16);
    host.Exchange(s1f3, memory_messages / 2, 16);
    long after = ResidentKiB(equipment.Pid());

    SecsMessage burst(2, 41, true, L(A("BURST"), L(L(A("COUNT"), U4(count)))));
    std::size_t reports_before = host.events->reports;
    auto begin = SteadyClock::now();
    host.Exchange(burst, 1, 1);
    host.RunUntil([&] { return host.events->reports - reports_before >= count; });
    double t6 = Seconds(SteadyClock::now() - begin);

    long after_burst = ResidentKiB(equipment.Pid());

    std::printf("Sample equipment over loopback, %zu messages each (S1F3: %zu)\n", count,
                count / 4);
    Row("S1F1/S1F2 round trips", count / t1, RawPingPong(0, EncodeBody(s1f2).size(), count));
    Row("S1F3 every SV, round trips", (count / 4) / t3,
        RawPingPong(EncodeBody(s1f3).size(), s1f4_size, count / 4));
    Row("S6F11 reports received", count / t6, RawStream(host.events->report_size, 3, count));

    std::printf(
        "Resident size: idle %ld KiB; %ld KiB before and %ld KiB after %zu more host "
        "messages; %ld KiB after %zu event reports in flight at once\n",
        idle, before, after, memory_messages, after_burst, count);

    host.driver->ClosePort();
    if (stalled_messages > 0) StalledHost(equipment, std::stoi(port), stalled_messages);
    equipment.Signal(SIGTERM);
    int status = equipment.Finish(std::chrono::seconds(20));
    std::filesystem::remove_all(data);
    return status == 0 ? 0 : 1;
}
