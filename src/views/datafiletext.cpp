#include "views/datafiletext.h"

#include "base/cp1252.h"
#include "base/trtext.h"

namespace vkz::detail {

bool isAscii(std::string_view s) {
  unsigned char acc = 0;
  for (char c : s) acc |= static_cast<unsigned char>(c);
  return acc < 0x80;
}

bool isValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int len = c < 0x80                  ? 1
              : (c >= 0xC2 && c < 0xE0) ? 2
              : (c >= 0xE0 && c < 0xF0) ? 3
              : (c >= 0xF0 && c < 0xF5) ? 4
                                        : 0;
    if (len == 0 || i + static_cast<size_t>(len) > s.size()) return false;
    for (int k = 1; k < len; ++k)
      if ((static_cast<unsigned char>(s[i + static_cast<size_t>(k)]) & 0xC0) != 0x80) return false;
    i += static_cast<size_t>(len);
  }
  return true;
}

std::string quoted(std::string_view s) {
  std::string out = "\"";
  if (s.size() > 40) {
    size_t cut = 40;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;  // whole UTF-8 characters
    out.append(s.substr(0, cut));
    out += "...";
  } else {
    out.append(s);
  }
  out += '"';
  return out;
}

std::string lineName(std::int64_t lineNo, bool capital) {
  return fillText(capital ? trText("DataFile", "Line %1") : trText("DataFile", "line %1"),
                  {std::to_string(lineNo + 1)});
}

bool judgeModelLine(std::string_view raw, bool nul, std::string_view meterModel, OpenResult& r, bool& utf8) {
  if (raw.size() >= 3 && raw.substr(0, 3) == "\xEF\xBB\xBF") {  // UTF-8 byte-order mark
    utf8 = true;
    raw.remove_prefix(3);
  } else if (raw.size() >= 2 && (raw.substr(0, 2) == "\xFF\xFE" || raw.substr(0, 2) == "\xFE\xFF")) {
    r.status = OpenStatus::NotDataFile;
    r.message =
        trText("DataFile",
               "This file is written as UTF-16 (Unicode) text; data files are 8-bit text. Nothing was read.");
    return false;
  }
  if (nul) {
    r.status = OpenStatus::NotDataFile;
    r.message = trText("DataFile", "This is not a data file: it holds binary data. Nothing was read.");
    return false;
  }
  r.hasModelLine = true;
  r.model = (utf8 && isValidUtf8(raw)) || isAscii(raw) ? std::string(raw) : cp1252ToUtf8(raw);
  if (isSupportedModel(r.model) || isSupportedModel(meterModel)) return true;
  r.status = OpenStatus::NotDataFile;
  r.message = fillText(trText("DataFile",
                              "This is not a data file of a supported meter: its first line reads %1 "
                              "instead of \"VKZ 418\" or \"KRD 529\". Nothing was read."),
                       {quoted(r.model)});
  return false;
}

}  // namespace vkz::detail
