#pragma once

#include <QString>
#include <cstdint>

class clsDovDriver;

// The start-up step of the sound and movie driver: it is initialised, and when
// that fails the message for the player is composed from the driver's error
// values and the library's description of the error.
class DovStartup {
public:
    // True when the driver started; otherwise the message is set.
    static bool Start(clsDovDriver& dov, QString& failureMessage);
    // The message for a driver whose Init failed.
    static QString FailureMessage(clsDovDriver& dov);
    // Four hexadecimal digits with a point after the first two: 0x0800 gives "08.00".
    static QString FormatVersion(std::uint32_t version);
};
