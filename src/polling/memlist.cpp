#include "polling/memlist.h"

#include "base/trtext.h"
#include "polling/replies.h"
#include "polling/textforms.h"

namespace vkz {

std::optional<MemorySize> decodeMemorySize(Payload p) {
  if (p.size() < kMemorySizeLength) return std::nullopt;
  return MemorySize{fitSigned32(be32(p, 0)), fitSigned32(be32(p, 4))};
}

std::optional<MemoryListEntry> decodeMemoryListEntry(Payload p) {
  if (p.size() < kMemoryListEntryLength) return std::nullopt;
  MemoryListEntry e;
  static_cast<MeterDateTime&>(e) = readDateTime(p, 0);
  e.entryNo = p[7];
  e.entryCount = p[8];
  return e;
}

std::string memoryListDateText(const MemoryListEntry& e) {
  if (!e.year) return "";
  return dateTimeText(*e.year, e.month, e.day, e.hour, e.minute, e.second, "  ");
}

std::string memoryListRowText(std::int32_t memListCount, const MemoryListEntry& e) {
  return decimalText(memListCount) + "\t" + memoryListDateText(e) + "\t" + decimalText(e.entryNo);
}

std::string memoryListLoadText(const std::string& load, const MemoryListEntry& e) {
  return load + " " + decimalText(e.entryNo) + "/" + decimalText(e.entryCount);
}

std::vector<int> missingListEntries(const std::map<int, MemoryListEntry>& listed, int count) {
  std::vector<int> missing;
  for (int n = 1; n <= count; ++n)
    if (!listed.count(n)) missing.push_back(n);
  return missing;
}

std::string memoryListIncompleteText(int arrived, int count, const std::vector<int>& missing) {
  if (count == 0)
    return trText("Download",
                  "Memory list incomplete: the meter reports stored measurements, but none of their entries "
                  "arrived.");
  std::string ranges;
  for (std::size_t i = 0; i < missing.size();) {
    std::size_t j = i;
    while (j + 1 < missing.size() && missing[j + 1] == missing[j] + 1) ++j;
    if (!ranges.empty()) ranges += ", ";
    ranges += decimalText(missing[i]);
    if (j > i) ranges += "-" + decimalText(missing[j]);
    i = j + 1;
  }
  return fillText(trText("Download", "Memory list incomplete: %1 of %2 entries arrived, missing %3."),
                  {decimalText(arrived), decimalText(count), ranges});
}

std::optional<MemoryListEnd> decodeMemoryListEnd(Payload p) {
  if (p.empty()) return std::nullopt;
  return p[0] == 0x0C ? MemoryListEnd::NoData : MemoryListEnd::Complete;
}

}  // namespace vkz
