// The meter's answers to write requests: the acknowledgement (the write's
// code echoed in byte 0 when the meter took it) and the resend request (the
// meter asks for a write again, naming it in byte 0).
#pragma once
#include <cstdint>
#include <optional>

#include "polling/payload.h"

namespace vkz {

// Acknowledgement of the write `code` (0x81 .. 0x91): true when the meter
// echoed the code, false when it reported anything else. nullopt when the
// reply carries no byte at all; the write is then not confirmed and the
// caller treats it as failed ("Set Fail !!!").
std::optional<bool> writeAcknowledged(std::uint8_t code, Payload p);

// The writes the meter may ask for again, re-sent from the settings record
// that their window packed last.
enum class ResendWrite { None, DoseSettings, Screens, LedAlarm, Timers1, Timers2, Timers3 };

// Reply 0x55: which write to send again (None for any other code, which is
// ignored). nullopt when the reply carries no byte.
std::optional<ResendWrite> resendTarget(Payload p);

}  // namespace vkz
