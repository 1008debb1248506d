#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "settings/protocol_fields.h"

namespace kest {

class GemContext;
class SECSProtocol;

/// The protocol settings dialog, headless: its fields, the lists it offers, and its load and
/// save. Boxes go to the control's box sink; failures are reported through the error trap with
/// the source "frmGEMProtocol:" and the procedure.
///
/// The one IP address and port of the dialog are the local pair (listened on) in passive mode
/// and the remote pair (connected to) in active mode.
class frmGEMProtocol {
  public:
    /// A dialog of the control `parent` on its settings `protocol`; serial devices are looked
    /// for under `dev_root`.
    frmGEMProtocol(std::weak_ptr<GemContext> parent, std::shared_ptr<SECSProtocol> protocol,
                   std::filesystem::path dev_root = "/dev");

    /// Fills the lists and the fields from `SECSProtocol` and the setting "PortOpenAtStartUp".
    /// A device directory that cannot be read shows "Unable to query registery for serial
    /// ports!" and leaves the list with what was found. False when the control is gone or a
    /// failure was reported.
    bool Load();

    /// Checks the fields in the dialog's order and stops at the first failure with its warning
    /// box; "PortOpenAtStartUp" is written once the device ID passed, before the port-type
    /// checks. Then copies the fields of the chosen port type into `SECSProtocol`, saves it and
    /// shows "SECS Protocol setting updated!". True when saved.
    bool Save();

    /// The fields, for the view to show and edit.
    frmGEMProtocolFields& Fields() noexcept { return fields_; }
    const frmGEMProtocolFields& Fields() const noexcept { return fields_; }
    /// The serial devices offered (filled by `Load`).
    const std::vector<std::string>& SerialPorts() const noexcept { return serial_ports_; }
    /// The baud rates offered.
    const std::vector<std::string>& BaudRates() const { return ProtocolBaudRates(); }
    /// Whether the HSMS fields or the SECS-I fields are enabled: those of the chosen port type.
    bool HSMSFieldsEnabled() const noexcept { return UsesHSMSFields(fields_.PortType); }
    bool SECSIFieldsEnabled() const noexcept { return !UsesHSMSFields(fields_.PortType); }

  private:
    std::weak_ptr<GemContext> parent_;
    std::shared_ptr<SECSProtocol> protocol_;
    std::filesystem::path dev_root_;
    frmGEMProtocolFields fields_;
    std::vector<std::string> serial_ports_;
};

}  // namespace kest
