#pragma once

#include <memory>
#include <string>

namespace kest {

class GemContext;

/// Establish communication: sends S1F13 with the equipment's model and software revision and
/// reports "CommEstablished" when the host's S1F14 comes back.
class GEMEstabComm : public std::enable_shared_from_this<GEMEstabComm> {
  public:
    /// Attaches the control (its factory member does it) and loads `MDLN` and `SOFTREV` from
    /// the GEM variables "EquipmentModel" and "SoftwareRevision". A database failure is reported
    /// through the error trap and leaves the properties as they were.
    void SetParent(std::weak_ptr<GemContext> parent);

    /// The equipment model type sent as MDLN; "NULL" until set or loaded.
    const std::string& MDLN() const noexcept { return mdln_; }
    void SetMDLN(std::string value) { mdln_ = std::move(value); }
    /// The software revision sent as SOFTREV; "NULL" until set or loaded.
    const std::string& SOFTREV() const noexcept { return softrev_; }
    void SetSOFTREV(std::string value) { softrev_ = std::move(value); }

    /// Sends S1F13. An argument other than "NULL" is trimmed of blanks, becomes the property,
    /// is stored in its GEM variable and shown in the operator window. False when the control
    /// is not attached, or with error 4019 when the port is not open. The outcome comes as
    /// `MethodNotification` "Connect" with "CommEstablished".
    bool Connect(const std::string& MDLN = "NULL", const std::string& SOFTREV = "NULL");

  private:
    void TakeArguments(GemContext& control, const std::string& mdln, const std::string& softrev);

    std::weak_ptr<GemContext> parent_;
    std::string mdln_ = "NULL";
    std::string softrev_ = "NULL";
};

}  // namespace kest
