#pragma once

#include <memory>
#include <string>

#include "base/variant.h"

namespace kest {

class GemContext;

/// The initialization settings: the message dictionary, the driver's log locations and the
/// enable-all flags, kept in the settings rows "SECSDictionaryFile", "SECSLogFile",
/// "SECSILogPath", "AlarmEnableAll" and "EventEnableAll".
class SECSInitialize {
  public:
    SECSInitialize() = default;

    /// Attaches the control: loads the three file settings from their saved defaults into the
    /// driver (a relative path taken from the application directory, "NULL" as none), clears
    /// the set-alarm marks, and takes the two flags from their saved defaults.
    void SetParent(std::weak_ptr<GemContext> parent);

    /// The row "AlarmEnableAll" is "TRUE"; setting writes "TRUE" or "FALSE".
    bool AlarmEnableAll() const;
    void SetAlarmEnableAll(bool value);
    /// The row "EventEnableAll" is "TRUE"; setting writes "TRUE" or "FALSE".
    bool EventEnableAll() const;
    void SetEventEnableAll(bool value);

    /// The driver's dictionary file, SECS-II log file and SECS-I log directory.
    std::string SECSDictionaryFile() const;
    void SetSECSDictionaryFile(const std::string& value);
    std::string SECSIILogFile() const;
    void SetSECSIILogFile(const std::string& value);
    std::string SECSILogPath() const;
    void SetSECSILogPath(const std::string& value);

    /// Writes the three file settings into the value column of their rows.
    bool SaveSetting();
    /// Makes the driver load its dictionary file.
    Variant LoadXMLDictionary();

  private:
    std::weak_ptr<GemContext> parent_;
};

}  // namespace kest
