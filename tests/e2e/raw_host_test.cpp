// A host that is not ours: plain socket calls and the byte layouts of SEMI E37 and E5, against
// the sample equipment on loopback (device ID 0, passive).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/child_process.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class RawSocket {
  public:
    explicit RawSocket(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawSocket() { close(fd_); }
    bool Connected() const { return connected_; }

    void Write(const Bytes& bytes) {
        ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // One whole HSMS frame (length prefix included), or nothing within 10 s.
    Bytes ReadFrame() {
        Bytes frame = Read(4);
        if (frame.size() != 4) return {};
        std::size_t length = (std::size_t{frame[0]} << 24) | (std::size_t{frame[1]} << 16) |
                             (std::size_t{frame[2]} << 8) | frame[3];
        Bytes rest = Read(length);
        frame.insert(frame.end(), rest.begin(), rest.end());
        return frame;
    }

  private:
    Bytes Read(std::size_t size) {
        Bytes out(size);
        std::size_t done = 0;
        while (done < size) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 10000) <= 0) return {};
            ssize_t n = read(fd_, out.data() + done, size - done);
            if (n <= 0) return {};
            done += static_cast<std::size_t>(n);
        }
        return out;
    }

    int fd_;
    bool connected_ = false;
};

TEST(RawHost, StandardHsmsReachesTheSampleEquipment) {
    fs::path data = fs::temp_directory_path() / ("kest_raw_host_" + std::to_string(getpid()));
    fs::remove_all(data);
    kest::test::Child equipment({std::string(KEST_BINARY_DIR) + "/apps/kest-equipment", "--port",
                                 "0", "--listen-address", "127.0.0.1", "--data-dir", data.string(),
                                 "--cycle-ms", "3600000", "--log-level", "error"});
    std::string port = equipment.WaitFor(std::regex("on port ([0-9]+)"), std::chrono::seconds(20));
    ASSERT_FALSE(port.empty()) << equipment.Output();
    RawSocket host(std::stoi(port));
    ASSERT_TRUE(host.Connected());

    // Select.req (session 0xFFFF, SType 1, system bytes 1) is answered by Select.rsp status 0.
    host.Write({0, 0, 0, 10, 0xFF, 0xFF, 0, 0, 0, 1, 0, 0, 0, 1});
    EXPECT_EQ(host.ReadFrame(), (Bytes{0, 0, 0, 10, 0xFF, 0xFF, 0, 0, 0, 2, 0, 0, 0, 1}));

    // S1F13 W with L,0 from device 0, system bytes 2.
    host.Write({0, 0, 0, 12, 0, 0, 0x81, 13, 0, 0, 0, 0, 0, 2, 0x01, 0x00});
    Bytes reply = host.ReadFrame();
    ASSERT_GE(reply.size(), 14u);
    // S1F14, no W-bit, same session and system bytes, body L,2 {B 0, L,2 {A, A}}.
    EXPECT_EQ(Bytes(reply.begin() + 4, reply.begin() + 14),
              (Bytes{0, 0, 0x01, 14, 0, 0, 0, 0, 0, 2}));
    EXPECT_EQ(Bytes(reply.begin() + 14, reply.begin() + 19), (Bytes{0x01, 0x02, 0x21, 0x01, 0x00}));

    // S1F1 W, header only: S1F2 with the model and revision.
    host.Write({0, 0, 0, 10, 0, 0, 0x81, 1, 0, 0, 0, 0, 0, 3});
    reply = host.ReadFrame();
    ASSERT_GE(reply.size(), 14u);
    EXPECT_EQ(Bytes(reply.begin() + 4, reply.begin() + 14),
              (Bytes{0, 0, 0x01, 2, 0, 0, 0, 0, 0, 3}));
    std::string body(reply.begin() + 14, reply.end());
    EXPECT_NE(body.find("KEST-SAMPLE"), std::string::npos);

    // Linktest.req is answered; Separate.req ends the session.
    host.Write({0, 0, 0, 10, 0xFF, 0xFF, 0, 0, 0, 5, 0, 0, 0, 4});
    EXPECT_EQ(host.ReadFrame(), (Bytes{0, 0, 0, 10, 0xFF, 0xFF, 0, 0, 0, 6, 0, 0, 0, 4}));
    host.Write({0, 0, 0, 10, 0xFF, 0xFF, 0, 0, 0, 9, 0, 0, 0, 5});

    equipment.Signal(SIGTERM);
    EXPECT_EQ(equipment.Finish(std::chrono::seconds(20)), 0) << equipment.Output();
    fs::remove_all(data);
}

}  // namespace
