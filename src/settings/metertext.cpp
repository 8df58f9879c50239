#include "settings/metertext.h"

#include <cstdio>

#include "base/cp1252.h"
#include "base/trtext.h"
#include "polling/pollstate.h"

namespace vkz {
namespace {

constexpr char32_t kBadSequence = 0xFFFD;

// The next code point of `s` from `i`, advancing `i`; a malformed sequence
// gives U+FFFD and moves one byte on.
char32_t nextCodePoint(std::string_view s, std::size_t& i) {
  const auto b = static_cast<unsigned char>(s[i++]);
  if (b < 0x80) return b;
  const int more = b >= 0xF5 ? -1 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 ? 1 : -1;
  if (more < 0 || i + static_cast<std::size_t>(more) > s.size()) return kBadSequence;
  char32_t u = b & (0x3F >> more);
  for (int k = 0; k < more; ++k) {
    const auto c = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
    if ((c & 0xC0) != 0x80) return kBadSequence;
    u = u << 6 | (c & 0x3F);
  }
  // Overlong forms and surrogates are not characters.
  if ((more == 2 && u < 0x800) || (more == 3 && (u < 0x10000 || u > 0x10FFFF)) ||
      (u >= 0xD800 && u <= 0xDFFF))
    return kBadSequence;
  i += static_cast<std::size_t>(more);
  return u;
}

std::string refusalFor(char32_t u, std::string_view utf8Char) {
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(u));
  const std::string shown = u == kBadSequence ? std::string("\xEF\xBF\xBD") : std::string(utf8Char);
  return fillText(trText("MeterText", "The meter cannot show the character \"%1\" (%2). Nothing was sent."),
                  {shown, code});
}

// The first `count` characters of `utf8`, padded with blanks to `count`.
std::string fitText(std::string_view utf8, std::size_t count) {
  std::size_t i = 0, n = 0;
  while (i < utf8.size() && n < count) {
    nextCodePoint(utf8, i);
    ++n;
  }
  return std::string(utf8.substr(0, i)) + std::string(count - n, ' ');
}

}  // namespace

bool meterNameAccess(std::string_view typed, std::string_view meterModel) {
  return typed.find(kMeterNameCode) != std::string_view::npos && isSupportedModel(meterModel);
}

SetOutcome<std::vector<std::uint8_t>> meterTextBytes(std::string_view utf8) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t at = i;
    const char32_t u = nextCodePoint(utf8, i);
    const int b = u == kBadSequence ? -1 : unicodeToCp1252(u);
    if (b < 0) return SetOutcome<std::vector<std::uint8_t>>::refuse(refusalFor(u, utf8.substr(at, i - at)));
    bytes.push_back(static_cast<std::uint8_t>(b));
  }
  return SetOutcome<std::vector<std::uint8_t>>::accept(std::move(bytes));
}

SetOutcome<MeterNameWrite> meterNameSet(std::string_view text) {
  // The read-back fills the box with 12 characters; the meter takes 11.
  const std::string sent = fitText(text, kMeterNameWriteLength);
  auto bytes = meterTextBytes(sent);
  if (!bytes.record) return SetOutcome<MeterNameWrite>::refuse(bytes.refusal);
  MeterNameWrite w;
  w.shown = sent.size() > text.size() ? sent : std::string(text);
  w.bytes = std::move(*bytes.record);
  return SetOutcome<MeterNameWrite>::accept(std::move(w));
}

SetOutcome<WelcomeTextWrite> welcomeTextSet(const std::array<std::string, 3>& lines) {
  WelcomeTextWrite w;
  for (std::size_t k = 0; k < 3; ++k) {
    w.shown[k] = fitText(lines[k], kWelcomeLineLength);
    auto bytes = meterTextBytes(w.shown[k]);
    if (!bytes.record) return SetOutcome<WelcomeTextWrite>::refuse(bytes.refusal);
    w.bytes.insert(w.bytes.end(), bytes.record->begin(), bytes.record->end());
  }
  return SetOutcome<WelcomeTextWrite>::accept(std::move(w));
}

}  // namespace vkz
