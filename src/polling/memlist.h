// The memory size and the list of measurements stored in the meter, as the
// memory panel shows them.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "polling/payload.h"

namespace vkz {

// Reply 0x0F: total and remaining memory, 32-bit big-endian each, shown as
// bare decimal numbers. A size of 2^31 or more does not fit (nullopt): its
// label keeps the value it showed.
struct MemorySize {
  std::optional<std::int32_t> total, remain;
};
std::optional<MemorySize> decodeMemorySize(Payload p);

// Replies 0x0C (first entry) and 0x0D (further entries), 9 bytes: the
// measurement's start, then its entry number and the number of entries.
struct MemoryListEntry : MeterDateTime {
  std::uint8_t entryNo = 0;     // the meter's 1-based index of the measurement
  std::uint8_t entryCount = 0;  // stored measurements
};
std::optional<MemoryListEntry> decodeMemoryListEntry(Payload p);

// The row of the memory grid as a TAB-joined text: the row number
// (MemListCount after counting this entry), the start "2018/05/23  14:03:07"
// (two blanks; empty when the year did not fit) and the entry number.
std::string memoryListRowText(std::int32_t memListCount, const MemoryListEntry& e);
// The start cell alone.
std::string memoryListDateText(const MemoryListEntry& e);
// The message label while the list loads: "Load 3/12" (`load` is TxtLoad).
std::string memoryListLoadText(const std::string& load, const MemoryListEntry& e);
// True when the decoder asks for the next entry (entry number != count).
inline bool memoryListWantsNext(const MemoryListEntry& e) {
  return e.entryNo != e.entryCount;
}

// The entry numbers from 1 to `count` that are not in `listed`, in order.
std::vector<int> missingListEntries(const std::map<int, MemoryListEntry>& listed, int count);
// The message for a list that stays incomplete: "Memory list incomplete: 3
// of 5 entries arrived, missing 2, 4-5."; with no entry arrived (`count` 0:
// no entry reply told it), that the meter reports stored measurements but
// none of their entries came.
std::string memoryListIncompleteText(int arrived, int count, const std::vector<int>& missing);

// Reply 0xFF: the end of the list. byte 0 = 0x0C: the first-entry request
// found no stored measurement; anything else: the list is complete.
enum class MemoryListEnd { NoData, Complete };
std::optional<MemoryListEnd> decodeMemoryListEnd(Payload p);

}  // namespace vkz
