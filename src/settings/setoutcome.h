// What a setting window's Set makes of the entries: the record to send, or
// the reason it refuses. A refusal is shown in a message box with the
// critical icon; nothing is packed into the program's record and nothing
// is sent. The record is whole or absent, never half new and half old.
#pragma once
#include <optional>
#include <string>

#include "base/trtext.h"

namespace vkz {

template <class Record>
struct SetOutcome {
  std::optional<Record> record;
  std::string refusal;  // the message of a refusal; may be empty (a quiet one)

  static SetOutcome refuse(std::string message) { return {std::nullopt, std::move(message)}; }
  static SetOutcome accept(Record r) { return {std::move(r), {}}; }
};

// The fixed message of a Set whose entries cannot be packed.
inline constexpr const char* kSetErrorText = "Set Error !!!";

// The refusal of a Set while a list it needs shows no item (the meter's
// values never arrived and the user chose none): "Mode : nothing selected !!!".
inline std::string nothingSelected(const std::string& list) {
  return fillText(trText("Settings", "%1 : nothing selected !!!"), {list});
}

}  // namespace vkz
