#pragma once

#include <functional>
#include <memory>
#include <string>

namespace kest {

class GemContext;
class frmMain;

/// What the control lends the console: its operator window (null while the tool is not
/// started) and the text of its terminal message window.
struct ConsoleHooks {
    std::function<frmMain*()> window;
    std::function<std::string()> terminal_text;
};

/// The operator window served to a browser: one page, a JSON API over the window's own logic
/// and the states pushed as server-sent events. The HTTP server runs on its own threads and
/// reaches the control only by posting work to the control's loop, so a slow or hostile client
/// never holds the control. Changes need an administrator session (the window's password);
/// the session is an HttpOnly, SameSite=Strict cookie, and every change is a POST whose Origin
/// must be the console itself.
///
/// Made, started and stopped on the control's loop.
class WebConsole {
  public:
    WebConsole(std::shared_ptr<GemContext> control, ConsoleHooks hooks);
    ~WebConsole();
    WebConsole(const WebConsole&) = delete;
    WebConsole& operator=(const WebConsole&) = delete;

    /// Listens on `address`:`port` (0: a free port). False, with the reason in `error`, when
    /// the address cannot be bound.
    bool Start(const std::string& address, int port, std::string& error);
    /// Closes every connection and waits for the server's threads.
    void Stop();
    /// The port listened on; 0 when not listening.
    int Port() const noexcept;

    /// Sends the current state to every open page (the console does it after each change it
    /// sees; an application that changed the window itself may call it).
    void PublishState();

    struct Shared;

  private:
    std::shared_ptr<Shared> shared_;
};

}  // namespace kest
