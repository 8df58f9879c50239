#include "polling/acks.h"

namespace vkz {

std::optional<bool> writeAcknowledged(std::uint8_t code, Payload p) {
  if (p.empty()) return std::nullopt;
  return p[0] == code;
}

std::optional<ResendWrite> resendTarget(Payload p) {
  if (p.empty()) return std::nullopt;
  switch (p[0]) {
    case 0x84:
      return ResendWrite::DoseSettings;
    case 0x85:
      return ResendWrite::Screens;
    case 0x87:
      return ResendWrite::LedAlarm;
    case 0x8A:
      return ResendWrite::Timers1;
    case 0x8B:
      return ResendWrite::Timers2;
    case 0x8C:
      return ResendWrite::Timers3;
    default:
      return ResendWrite::None;
  }
}

}  // namespace vkz
