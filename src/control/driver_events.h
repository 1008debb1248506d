#pragma once

#include <memory>

#include "driver/secs_driver.h"

namespace kest {

class ControlCore;

/// Passes the driver's five events to the control's handlers while the control lives.
class DriverEventsAdapter final : public SecsDriverEvents {
  public:
    explicit DriverEventsAdapter(std::weak_ptr<ControlCore> server) : server_(std::move(server)) {}

    void Connect() override;
    void Disconnect(int error_code, const std::string& error_text) override;
    void ReceivedPrimary(std::shared_ptr<SecsTransaction> trans, int error_code,
                         const std::string& error_text) override;
    void ReceivedSecondary(std::shared_ptr<SecsTransaction> trans, int error_code,
                           const std::string& error_text) override;
    void Error(const DriverError& error) override;

  private:
    std::weak_ptr<ControlCore> server_;
};

}  // namespace kest
