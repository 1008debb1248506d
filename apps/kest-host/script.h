#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host_session.h"

namespace kest::host {

/// A script of host steps, one a line (a message may go on over following lines until its
/// brackets close; `#` starts a comment):
///   open | close | establish
///   send S1F3 W <L [1] <U4 1>>        send; wait for the reply when W is set
///   expect S1F4 <L [1] <V>>           the last reply must match (<V> matches any one item)
///   starts S2F18 <A "30">             the last reply's text item must begin so
///   await [N]ms S6F11 <L <V> <U4 1001> <V>>   wait for a primary of the equipment
///   reply S6F11 S6F12 <B 1>           answer those primaries so from now on
///   pause N                           answer whatever comes for N milliseconds
///   absent S5F1 <V>                   no such primary came (and was not awaited) so far
///   echo text
class ScriptRunner {
  public:
    explicit ScriptRunner(HostSession& session) : session_(session) {}

    /// Splits `text` into commands. Raises std::runtime_error naming the line of a command
    /// that is not understood (nothing runs then).
    static std::vector<std::string> Commands(std::string_view text, const std::string& origin);
    /// Runs one command; false when it failed (an expectation that did not hold, a reply that
    /// did not come, a message that was not sent).
    bool Run(const std::string& command);
    /// The number of failed commands so far.
    int Failures() const noexcept { return failures_; }

  private:
    bool Execute(const std::string& verb, const std::string& rest);
    bool ExpectStart(const std::string& rest);

    HostSession& session_;
    std::optional<SecsMessage> last_reply_;
    int failures_ = 0;
};

}  // namespace kest::host
