#pragma once

namespace kest {

/// The kind of port the driver opens. HSMS and HSMS_SS run HSMS-SS over TCP (the driver serves
/// one session); RS232 is SECS-I over a serial port, TCPIP SECS-I over a TCP byte stream.
enum class enmPortType {
    PortTypeRS232 = 1,
    PortTypeHSMS = 2,
    PortTypeTCPIP = 3,
    PortTypeHSMS_SS = 4,
};

/// Who opens the TCP connection: the active entity connects, the passive one listens.
/// Alternating is accepted as a value but HSMS-SS has no such mode, so opening refuses it.
enum class enmConnectionMode {
    ConnectionModeActive = 1,
    ConnectionModePassive = 2,
    ConnectionModeAlternating = 3,
};

/// Serial line speeds of SECS-I.
enum class enmBaudRate {
    BaudRate150 = 150,
    BaudRate300 = 300,
    BaudRate1200 = 1200,
    BaudRate2400 = 2400,
    BaudRate4800 = 4800,
    BaudRate9600 = 9600,
    BaudRate19200 = 19200,
};

/// True when `value` is one of the `enmPortType` values.
constexpr bool IsPortType(int value) noexcept {
    return value >= 1 && value <= 4;
}

/// True when `value` is one of the `enmConnectionMode` values.
constexpr bool IsConnectionMode(int value) noexcept {
    return value >= 1 && value <= 3;
}

/// True when `value` is one of the `enmBaudRate` values.
constexpr bool IsBaudRate(int value) noexcept {
    switch (value) {
        case 150:
        case 300:
        case 1200:
        case 2400:
        case 4800:
        case 9600:
        case 19200:
            return true;
        default:
            return false;
    }
}

}  // namespace kest
