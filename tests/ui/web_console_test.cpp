// The web console over loopback: who may change what, what a bad request gets, and the state
// pushed to an open page.
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <asio/executor_work_guard.hpp>
#include <asio/post.hpp>
#include <atomic>
#include <future>
#include <mutex>
#include <thread>

#include "control/control_core.h"
#include "ui/console_sessions.h"
#include "window_fixture.h"

namespace kest::test {
namespace {

using namespace std::chrono_literals;

TEST(ConsoleSessions, TokensExpireAndFailedLoginsWaitLongerEachTime) {
    auto now = ConsoleSessions::Clock::time_point{};
    ConsoleSessions sessions([&] { return now; });
    const std::string token = sessions.Open();
    EXPECT_EQ(token.size(), 32u);
    EXPECT_NE(sessions.Open(), token);
    EXPECT_TRUE(sessions.Valid(token));
    EXPECT_FALSE(sessions.Valid(token + "0"));
    now += ConsoleSessions::kIdleLimit;
    EXPECT_TRUE(sessions.Valid(token));  // used within the hour: the hour starts again
    now += ConsoleSessions::kIdleLimit + 1s;
    EXPECT_FALSE(sessions.Valid(token));

    // Two failures are free; then 1 s, 2 s, 4 s ... held at a minute.
    const std::vector<int> waits = {0, 0, 1, 2, 4, 8, 16, 32, 60, 60};
    for (int expected : waits) {
        sessions.LoginFailed();
        const auto wait = sessions.LoginWait();
        EXPECT_EQ(wait.value_or(0s).count(), expected);
    }
    now += 60s;
    EXPECT_FALSE(sessions.LoginWait().has_value());
    sessions.LoginSucceeded();
    sessions.LoginFailed();
    EXPECT_FALSE(sessions.LoginWait().has_value());

    std::vector<std::string> tokens;
    for (std::size_t i = 0; i <= ConsoleSessions::kMaxSessions; ++i) {
        now += 1s;
        tokens.push_back(sessions.Open());
    }
    EXPECT_FALSE(sessions.Valid(tokens.front()));  // the least recently used made room
    EXPECT_TRUE(sessions.Valid(tokens.back()));
}

class WebConsoleTest : public WindowTest {
  protected:
    void SetUp() override {
        StartTool();
        ASSERT_TRUE(h.server->StartConsole("127.0.0.1", 0));
        port = h.server->ConsolePort();
        ASSERT_GT(port, 0);
    }
    // Runs `request` on a thread of its own while the control's loop runs here, on the
    // control's own thread, as in an application.
    template <class F>
    auto WhileLoopRuns(F request) {
        auto done = std::async(std::launch::async, std::move(request));
        for (int i = 0; i < 3000 && done.wait_for(0s) != std::future_status::ready; ++i) {
            h.io.run_one_for(10ms);
        }
        return done.get();
    }
    std::string Origin() const { return "http://127.0.0.1:" + std::to_string(port); }
    httplib::Result Post(const std::string& path, const std::string& body,
                         httplib::Headers headers) {
        return WhileLoopRuns([&] {
            httplib::Client client("127.0.0.1", port);
            return client.Post(path.c_str(), headers, body, "application/json");
        });
    }
    httplib::Headers Admin() {
        auto res = Post("/api/login", R"({"password":"kestadmin"})", {{"Origin", Origin()}});
        EXPECT_EQ(res->status, 200);
        const std::string cookie = res->get_header_value("Set-Cookie");
        return {{"Origin", Origin()}, {"Cookie", cookie.substr(0, cookie.find(';'))}};
    }

    int port = 0;
    // Keeps the loop waiting for work between the requests' turns.
    asio::executor_work_guard<asio::io_context::executor_type> guard{h.io.get_executor()};
};

TEST_F(WebConsoleTest, BadRequestsChangeNothing) {
    const httplib::Headers admin = Admin();
    httplib::Headers forged = admin;
    forged.erase("Cookie");
    forged.emplace("Cookie", "kest_session=0123456789abcdef0123456789abcdef");
    const httplib::Headers no_origin = {{"Cookie", admin.find("Cookie")->second}};
    httplib::Headers cross = admin;
    cross.erase("Origin");
    cross.emplace("Origin", "http://evil.example");
    const std::string good = R"({"timeout":"20","heartbeat":"5","enabled":true})";
    struct Case {
        const char* what;
        std::string path;
        std::string body;
        httplib::Headers headers;
        int status;
        std::string says;
    } cases[] = {
        {"malformed JSON", "/api/action/communication", "{\"timeout\":", admin, 400, "JSON"},
        {"not an object", "/api/action/communication", "[1]", admin, 400, "JSON"},
        {"unknown field", "/api/action/communication",
         R"({"timeout":"20","heartbeat":"5","enabled":true,"x":1})", admin, 400, "Unknown field"},
        {"wrong type", "/api/action/communication",
         R"({"timeout":20,"heartbeat":"5","enabled":true})", admin, 400, "wrong type"},
        {"missing field", "/api/action/communication", R"({"timeout":"20","enabled":true})", admin,
         400, "missing"},
        {"text too long", "/api/action/communication",
         R"({"timeout":")" + std::string(5000, '1') + R"(","heartbeat":"5","enabled":true})", admin,
         400, "size"},
        {"oversize body", "/api/action/communication", std::string(17 * 1024, ' '), admin, 413, ""},
        {"no session", "/api/action/communication", good, {{"Origin", Origin()}}, 401, ""},
        {"forged session", "/api/action/communication", good, forged, 401, ""},
        {"no origin", "/api/action/communication", good, no_origin, 403, ""},
        {"cross origin", "/api/action/communication", good, cross, 403, ""},
        {"unknown action", "/api/action/reboot", "{}", admin, 404, ""},
        {"unknown switch", "/api/action/switch", R"({"to":"sideways"})", admin, 400, "sideways"},
        {"out of range", "/api/action/communication",
         R"({"timeout":"1801","heartbeat":"5","enabled":true})", admin, 422,
         "Establish Communication Timeout cannot exceed than 1800 second!"},
        {"bad heartbeat", "/api/action/communication",
         R"({"timeout":"20","heartbeat":"61","enabled":true})", admin, 422,
         "HeartBeat cannot exceed than 60 second!"},
    };
    for (const Case& c : cases) {
        auto res = Post(c.path, c.body, c.headers);
        ASSERT_TRUE(res) << c.what;
        EXPECT_EQ(res->status, c.status) << c.what << ": " << res->body;
        EXPECT_NE(res->body.find(c.says), std::string::npos) << c.what << ": " << res->body;
    }
    EXPECT_EQ(h.GemVar("EstablishCommunicationTimeout"), "10");
    EXPECT_EQ(h.GemVar("HeartBeat"), "0");
}

TEST_F(WebConsoleTest, LoginSetsAStrictCookieChangesLandAndFailuresSlowDown) {
    const httplib::Headers admin = Admin();
    auto cookie = Post("/api/login", R"({"password":"kestadmin"})", {{"Origin", Origin()}})
                      ->get_header_value("Set-Cookie");
    EXPECT_NE(cookie.find("HttpOnly"), std::string::npos);
    EXPECT_NE(cookie.find("SameSite=Strict"), std::string::npos);
    auto res = Post("/api/action/communication",
                    R"({"timeout":"1800","heartbeat":"60","enabled":false})", admin);
    EXPECT_EQ(res->status, 200);
    EXPECT_NE(res->body.find("Communication Setting Updated."), std::string::npos);
    EXPECT_EQ(Post("/api/action/option", R"({"name":"WBits5","on":false})", admin)->status, 200);

    const std::string state = WhileLoopRuns([&] {
        httplib::Client client("127.0.0.1", port);
        return client.Get("/api/state")->body;
    });
    EXPECT_EQ(state.find("kestadmin"), std::string::npos);  // the password never goes out
    EXPECT_NE(state.find("\"admin\":false"), std::string::npos);

    EXPECT_EQ(Post("/api/logout", "{}", admin)->status, 200);
    EXPECT_EQ(Post("/api/action/spool", R"({"count":"5"})", admin)->status, 401);
    const httplib::Headers origin = {{"Origin", Origin()}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Post("/api/login", R"({"password":"guess"})", origin)->status, 401);
    }
    auto refused = Post("/api/login", R"({"password":"kestadmin"})", origin);
    EXPECT_EQ(refused->status, 429);
    EXPECT_EQ(refused->get_header_value("Retry-After"), "1");
    EXPECT_EQ(h.GemVar("EstablishCommunicationTimeout"), "1800");
    EXPECT_EQ(h.GemVar("HeartBeat"), "60");
    EXPECT_EQ(h.GemVar("InitCommState"), "0");
    EXPECT_EQ(h.GemVar("WBITS5"), "0");
    EXPECT_EQ(h.GemVar("MaxSpoolTransmit"), "0");
}

// An open page gets the notifications and the state as it changes, and a snapshot only when
// something it shows changed; a client that sent half a request holds nothing.
TEST_F(WebConsoleTest, AnOpenPageSeesNotesAndStateChangesAndASlowClientHoldsNothing) {
    const int slow = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(slow, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const char partial[] = "POST /api/login HTTP/1.1\r\nHost: x\r\nContent-Length: 100\r\n\r\n{";
    ASSERT_GT(::write(slow, partial, sizeof partial - 1), 0);

    std::mutex mutex;
    std::string received;
    std::atomic<bool> stop{false};
    std::thread page([&] {
        httplib::Client client("127.0.0.1", port);
        client.Get("/api/events", [&](const char* data, std::size_t length) {
            const std::lock_guard lock(mutex);
            received.append(data, length);
            return !stop;
        });
    });
    const auto count = [&](const std::string& text) {
        const std::lock_guard lock(mutex);
        std::size_t n = 0;
        for (auto at = received.find(text); at != std::string::npos;
             at = received.find(text, at + 1))
            ++n;
        return n;
    };
    // Runs the control's loop here, on its own thread, until the page has `n` of `text`.
    const auto run_until = [&](const std::string& text, std::size_t n) {
        for (int i = 0; i < 1000 && count(text) < n; ++i)
            h.io.run_one_for(10ms);
        return count(text) >= n;
    };
    // The first S1F1 establishes communication; the next changes nothing the page shows.
    const auto s1f1 = [this] { h.driver->InjectPrimary(SecsMessage(1, 1, true)); };
    asio::post(h.io, s1f1);
    ASSERT_TRUE(run_until("\"comm\":\"Communicating\"", 1));
    const std::size_t states = count("event: state");
    const std::size_t notes = count("event: note");
    asio::post(h.io, s1f1);
    ASSERT_TRUE(run_until("event: note", notes + 1));
    asio::post(h.io, [this] { window->GoLocal(); });
    EXPECT_TRUE(run_until("\"control\":\"Online Local\"", 1));
    EXPECT_EQ(count("event: state"), states + 1);
    stop = true;
    const std::size_t remote = count("\"control\":\"Online Remote\"");
    asio::post(h.io, [this] { window->GoRemote(); });  // one more write ends the page's read
    run_until("\"control\":\"Online Remote\"", remote + 1);
    page.join();

    // The loop still runs work while the slow client waits.
    bool ran = false;
    asio::post(h.io, [&] { ran = true; });
    for (int i = 0; i < 100 && !ran; ++i)
        h.io.run_one_for(10ms);
    EXPECT_TRUE(ran);
    ::close(slow);
}

}  // namespace
}  // namespace kest::test
