// The web console's server: routes, the administrator session, and the hand-over of every
// request's work to the control's loop.
#include "ui/web_console.h"

#include <httplib.h>

#include <asio/post.hpp>
#include <asio/steady_timer.hpp>
#include <atomic>
#include <chrono>
#include <fstream>
#include <future>
#include <nlohmann/json.hpp>
#include <optional>
#include <thread>

#include "base/clock.h"
#include "core/gem_context.h"
#include "core/state_model.h"
#include "notify/listener.h"
#include "notify/log_lines.h"
#include "ui/console_actions.h"
#include "ui/console_feed.h"
#include "ui/console_page.h"
#include "ui/console_sessions.h"
#include "ui/console_view.h"
#include "ui/entry_checks.h"
#include "ui/frm_main.h"

namespace kest {

namespace {

using nlohmann::json;

constexpr const char* kCookie = "kest_session";
// How long a request waits for the control's loop before it gives up with 503.
constexpr auto kLoopWait = std::chrono::seconds(2);
constexpr std::size_t kMaxBody = 16 * 1024;
constexpr int kMaxStreams = 8;
constexpr std::size_t kMaxLogLines = 5000;
constexpr auto kPublishGap = std::chrono::milliseconds(25);

void Reply(httplib::Response& res, int status, const json& body) {
    res.status = status;
    res.set_content(body.dump(-1, ' ', false, json::error_handler_t::replace), "application/json");
}

void Fail(httplib::Response& res, int status, const std::string& text) {
    Reply(res, status, json{{"error", text}});
}

std::string SessionToken(const httplib::Request& req) {
    const std::string cookies = req.get_header_value("Cookie");
    const std::string key = std::string(kCookie) + "=";
    std::size_t at = 0;
    while ((at = cookies.find(key, at)) != std::string::npos) {
        if (at == 0 || cookies[at - 1] == ' ' || cookies[at - 1] == ';') {
            const std::size_t start = at + key.size();
            return cookies.substr(start, cookies.find(';', start) - start);
        }
        at += key.size();
    }
    return {};
}

// A change must come from the console's own page: browsers send Origin with every POST, and a
// page elsewhere cannot forge it.
bool SameOrigin(const httplib::Request& req) {
    const std::string origin = req.get_header_value("Origin");
    const std::string host = req.get_header_value("Host");
    return !origin.empty() && !host.empty() && origin == "http://" + host;
}

std::optional<std::filesystem::path> LogPath(GemContext& control, const std::string& name) {
    if (name != "service" && name != "secsii") return std::nullopt;
    const std::string base = name == "service" ? "KestTool_" : "SECSII_";
    return control.AppDirectory() / "Log" /
           (base + FormatLocal(control.GetClock()->Now(), "yyyy-mm-dd") + ".log");
}

// The last `count` lines of `path`, read from its end so a large log costs little.
std::string LastLines(const std::filesystem::path& path, std::size_t count) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    std::streamoff start = size;
    std::size_t lines = 0;
    std::string text;
    while (start > 0 && lines <= count) {
        const std::streamoff step = std::min<std::streamoff>(64 * 1024, start);
        start -= step;
        std::string chunk(static_cast<std::size_t>(step), '\0');
        in.seekg(start);
        in.read(chunk.data(), step);
        lines += static_cast<std::size_t>(std::count(chunk.begin(), chunk.end(), '\n'));
        text.insert(0, chunk);
    }
    std::size_t end = text.size();
    if (end > 0 && text[end - 1] == '\n') --end;  // the last line's own end is no boundary
    std::size_t from = end;
    for (std::size_t seen = 0; from > 0; --from) {
        if (text[from - 1] == '\n' && ++seen == count) break;
    }
    return text.substr(from);
}

}  // namespace

struct WebConsole::Shared : std::enable_shared_from_this<WebConsole::Shared> {
    std::weak_ptr<GemContext> control;
    asio::any_io_executor loop;
    ConsoleHooks hooks;
    ConsoleSessions sessions;
    ConsoleFeed feed;
    httplib::Server server;
    std::thread thread;
    std::atomic<int> port{0};
    std::atomic<int> streams{0};
    std::atomic<bool> publish_pending{false};
    // The state goes out at once after a quiet spell, then at most every kPublishGap, so a
    // host's burst of messages costs the loop a snapshot per gap, not one per notification.
    std::unique_ptr<asio::steady_timer> gap_timer;
    std::chrono::steady_clock::time_point last_publish{};
    struct Shown {
        frmMainFields fields;
        std::string terminal;
        bool started = false;
    };
    std::optional<Shown> shown;  // what the last snapshot held (loop only)
    Subscription subscription;
    std::shared_ptr<void> watch;

    // Runs `work` on the control's loop and waits for its result; nothing when the loop did not
    // take it in time or the control is gone. `work` owns what it uses: a request that gave up
    // leaves it to run later.
    template <class Result>
    std::optional<Result> OnLoop(std::function<Result(GemContext&, frmMain*)> work) {
        auto promise = std::make_shared<std::promise<std::optional<Result>>>();
        auto future = promise->get_future();
        asio::post(loop, [self = shared_from_this(), promise, work = std::move(work)] {
            auto context = self->control.lock();
            try {
                if (!context) throw std::runtime_error("the control is gone");
                promise->set_value(work(*context, self->hooks.window()));
            } catch (...) {
                promise->set_value(std::nullopt);
            }
        });
        if (future.wait_for(kLoopWait) != std::future_status::ready) return std::nullopt;
        return future.get();
    }

    // From any thread: the state for the pages, built once for a burst of changes.
    void SchedulePublish() {
        if (publish_pending.exchange(true)) return;
        asio::post(loop, [weak = weak_from_this()] {
            if (auto self = weak.lock()) self->PublishAfterGap();
        });
    }

    // On the loop.
    void PublishAfterGap() {
        const auto due = last_publish + kPublishGap;
        if (std::chrono::steady_clock::now() >= due) return PublishPending();
        gap_timer->expires_at(due);
        gap_timer->async_wait([weak = weak_from_this()](const std::error_code& error) {
            if (auto self = weak.lock(); self && !error) self->PublishPending();
        });
    }

    void PublishPending() {
        publish_pending = false;
        last_publish = std::chrono::steady_clock::now();
        PublishNow(false);
    }

    // Most notifications change nothing the page shows: comparing the window's fields with
    // those last sent is far cheaper than writing the snapshot again.
    void PublishNow(bool always) {
        frmMain* window = hooks.window();
        const frmMainFields empty;
        const frmMainFields& fields = window ? window->Fields() : empty;
        std::string terminal = hooks.terminal_text();
        if (!always && shown && shown->started == (window != nullptr) &&
            shown->terminal == terminal && shown->fields == fields) {
            return feed.Wake();
        }
        feed.Publish(ConsoleStateJson(fields, terminal, window != nullptr));
        shown = Shown{fields, std::move(terminal), window != nullptr};
    }

    void Follow(GemContext& context) {
        std::weak_ptr<Shared> weak = weak_from_this();
        auto note = [weak](const char* kind, std::string line) {
            if (auto self = weak.lock()) {
                // Goes out with the state that follows it, so a burst wakes the pages once
                // per gap.
                self->feed.AddNote(kind, std::move(line));
                self->SchedulePublish();
            }
        };
        subscription = context.Subscribe(KestListener{
            .ErrorNotification = [note](const KestError& e) { note("ERROR", ErrorLogLine(e)); },
            .MethodNotification = [note](const KestMethod& m) { note("METHOD", MethodLogLine(m)); },
            .EventNotification = [note](const KestEvent& e) { note("EVENT", EventLogLine(e)); },
            .CommandNotification = [note](KestCommand& c) { note("COMMAND", CommandLogLine(c)); },
        });
        watch = context.State().Watch([weak](StateAspect) {
            if (auto self = weak.lock()) self->SchedulePublish();
        });
    }

    void Routes();
    void Login(const httplib::Request& req, httplib::Response& res);
    void Action(const httplib::Request& req, httplib::Response& res);
    void Events(const httplib::Request& req, httplib::Response& res);
    void Log(const httplib::Request& req, httplib::Response& res);
};

void WebConsole::Shared::Routes() {
    server.Get("/", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Cache-Control", "no-store");
        res.set_header("X-Frame-Options", "DENY");
        res.set_header("Content-Security-Policy",
                       "default-src 'self'; script-src 'self' 'unsafe-inline'; "
                       "style-src 'self' 'unsafe-inline'; img-src 'self' data:");
        res.set_content(std::string(ConsolePage()), "text/html; charset=utf-8");
    });
    server.Get("/api/state", [this](const httplib::Request& req, httplib::Response& res) {
        const bool admin = sessions.Valid(SessionToken(req));
        auto state = OnLoop<std::string>([self = shared_from_this()](GemContext&, frmMain* w) {
            const frmMainFields empty;
            return ConsoleStateJson(w ? w->Fields() : empty, self->hooks.terminal_text(),
                                    w != nullptr);
        });
        if (!state) return Fail(res, 503, "The control does not answer.");
        json body = json::parse(*state);
        body["admin"] = admin;
        Reply(res, 200, body);
    });
    server.Get("/api/events",
               [this](const httplib::Request& req, httplib::Response& res) { Events(req, res); });
    server.Get("/api/log",
               [this](const httplib::Request& req, httplib::Response& res) { Log(req, res); });
    server.Post("/api/login",
                [this](const httplib::Request& req, httplib::Response& res) { Login(req, res); });
    server.Post("/api/logout", [this](const httplib::Request& req, httplib::Response& res) {
        if (!SameOrigin(req)) return Fail(res, 403, "Cross-origin request refused.");
        sessions.Close(SessionToken(req));
        res.set_header("Set-Cookie",
                       std::string(kCookie) + "=; HttpOnly; SameSite=Strict; Path=/; Max-Age=0");
        Reply(res, 200, json{{"ok", true}});
    });
    server.Post(R"(/api/action/([a-z]+))",
                [this](const httplib::Request& req, httplib::Response& res) { Action(req, res); });
}

void WebConsole::Shared::Login(const httplib::Request& req, httplib::Response& res) {
    if (!SameOrigin(req)) return Fail(res, 403, "Cross-origin request refused.");
    if (auto wait = sessions.LoginWait()) {
        res.set_header("Retry-After", std::to_string(wait->count()));
        return Fail(res, 429, "Too many failed logins; try again later.");
    }
    std::string problem;
    const auto body = ParseActionBody(req.body, {{"password", FieldType::Text}}, problem);
    if (!body) return Fail(res, 400, problem);
    const std::string password = (*body)["password"];
    auto warning = OnLoop<std::optional<EntryWarning>>([password](GemContext& c, frmMain*) {
        return CheckLogin(password, c.Setting("AdministratorPassword"));
    });
    if (!warning) return Fail(res, 503, "The control does not answer.");
    if (*warning) {
        sessions.LoginFailed();
        return Reply(res, 401, json{{"ok", false}, {"notice", (*warning)->text}});
    }
    sessions.LoginSucceeded();
    res.set_header("Set-Cookie", std::string(kCookie) + "=" + sessions.Open() +
                                     "; HttpOnly; SameSite=Strict; Path=/");
    Reply(res, 200, json{{"ok", true}});
}

void WebConsole::Shared::Action(const httplib::Request& req, httplib::Response& res) {
    if (!SameOrigin(req)) return Fail(res, 403, "Cross-origin request refused.");
    if (!sessions.Valid(SessionToken(req))) return Fail(res, 401, "Log in as administrator.");
    const ConsoleAction* action = FindConsoleAction(req.matches[1].str());
    if (action == nullptr) return Fail(res, 404, "No such action.");
    std::string problem;
    auto body = ParseActionBody(req.body, action->fields, problem);
    if (!body) return Fail(res, 400, problem);
    auto outcome = OnLoop<ActionOutcome>(
        [action, body = std::move(*body)](GemContext&, frmMain* window) -> ActionOutcome {
            if (window == nullptr) return {ActionOutcome::NoWindow, {}, {}};
            return RunConsoleAction(*action, *window, body);
        });
    if (!outcome) return Fail(res, 503, "The control does not answer.");
    SchedulePublish();
    switch (outcome->status) {
        case ActionOutcome::Done:
            return Reply(res, 200, json{{"ok", true}, {"notice", outcome->notice}});
        case ActionOutcome::Refused:
            return Reply(
                res, 422,
                json{{"ok", false}, {"notice", outcome->notice}, {"field", outcome->field}});
        case ActionOutcome::BadValue:
            return Fail(res, 400, outcome->notice);
        case ActionOutcome::NoWindow:
            return Fail(res, 409, "The operator window is not started.");
    }
}

void WebConsole::Shared::Events(const httplib::Request& req, httplib::Response& res) {
    if (streams.fetch_add(1) >= kMaxStreams) {
        streams.fetch_sub(1);
        return Fail(res, 503, "Too many open consoles.");
    }
    std::uint64_t last = 0;
    const std::string resume = req.get_header_value("Last-Event-ID");
    if (!resume.empty() && resume.size() < 20 &&
        resume.find_first_not_of("0123456789") == std::string::npos) {
        last = std::stoull(resume);
    }
    auto after = std::make_shared<std::uint64_t>(last);
    res.set_header("Cache-Control", "no-store");
    res.set_chunked_content_provider(
        "text/event-stream",
        [self = shared_from_this(), after](std::size_t, httplib::DataSink& sink) {
            const auto items = self->feed.Wait(*after, std::chrono::seconds(15));
            if (!self->server.is_running()) return false;
            std::string text = items.empty() ? ": still here\n\n" : "";
            for (const FeedItem& item : items) {
                text += "id: " + std::to_string(item.id) + "\nevent: " + item.event +
                        "\ndata: " + item.data + "\n\n";
                *after = item.id;
            }
            return sink.write(text.data(), text.size());
        },
        [self = shared_from_this()](bool) { self->streams.fetch_sub(1); });
    SchedulePublish();  // a new page gets the state at once
}

void WebConsole::Shared::Log(const httplib::Request& req, httplib::Response& res) {
    const std::string name = req.get_param_value("name");
    const std::string lines_text = req.get_param_value("lines");
    std::size_t lines = 200;
    if (!lines_text.empty()) {
        const auto n = EnteredNumber(lines_text);
        if (!n || *n < 1 || *n > static_cast<std::int64_t>(kMaxLogLines)) {
            return Fail(res, 400, "lines must be 1 to 5000.");
        }
        lines = static_cast<std::size_t>(*n);
    }
    auto path = OnLoop<std::optional<std::filesystem::path>>(
        [name](GemContext& c, frmMain*) { return LogPath(c, name); });
    if (!path) return Fail(res, 503, "The control does not answer.");
    if (!*path) return Fail(res, 404, "No such log.");
    std::error_code error;
    if (!std::filesystem::is_regular_file(**path, error)) {
        return Fail(res, 404, (*path)->stem().string() + ".log not exist!");
    }
    if (req.has_param("download")) {
        res.set_header("Content-Disposition",
                       "attachment; filename=\"" + (*path)->filename().string() + "\"");
        std::ifstream in(**path, std::ios::binary);
        std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        res.set_content(std::move(all), "text/plain; charset=utf-8");
        return;
    }
    res.set_content(LastLines(**path, lines), "text/plain; charset=utf-8");
}

WebConsole::WebConsole(std::shared_ptr<GemContext> control, ConsoleHooks hooks)
    : shared_(std::make_shared<Shared>()) {
    shared_->control = control;
    shared_->loop = control->Executor();
    shared_->gap_timer = std::make_unique<asio::steady_timer>(shared_->loop);
    shared_->hooks = std::move(hooks);
    shared_->Follow(*control);
    auto& server = shared_->server;
    server.set_payload_max_length(kMaxBody);
    server.set_read_timeout(std::chrono::seconds(5));
    server.set_write_timeout(std::chrono::seconds(5));
    server.set_keep_alive_max_count(100);
    // Open event streams hold a thread each; the rest serve requests.
    server.new_task_queue = [] { return new httplib::ThreadPool(kMaxStreams + 4); };
    shared_->Routes();
}

WebConsole::~WebConsole() {
    Stop();
}

bool WebConsole::Start(const std::string& address, int port, std::string& error) {
    auto& s = *shared_;
    if (s.thread.joinable()) return true;
    const int bound = port == 0 ? s.server.bind_to_any_port(address)
                                : (s.server.bind_to_port(address, port) ? port : -1);
    if (bound <= 0) {
        error = "cannot listen on " + address + ":" + std::to_string(port);
        return false;
    }
    s.port = bound;
    s.thread = std::thread([shared = shared_] { shared->server.listen_after_bind(); });
    s.SchedulePublish();
    return true;
}

void WebConsole::Stop() {
    auto& s = *shared_;
    s.feed.Close();
    s.server.stop();
    if (s.thread.joinable()) s.thread.join();
    s.port = 0;
    s.gap_timer->cancel();
    s.subscription.Cancel();
    s.watch.reset();
}

int WebConsole::Port() const noexcept {
    return shared_->port;
}

void WebConsole::PublishState() {
    shared_->PublishNow(true);
}

}  // namespace kest
