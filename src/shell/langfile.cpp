// Reading the language index and the language files, and storing the user's
// choice of language in the index.
#include "shell/langfile.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/appdir.h"
#include "base/cp1252.h"
#include "base/log.h"
#include "base/numfmt.h"

namespace vkz {
namespace {

// A language file holds a few hundred short lines (some 20 KB); anything far
// larger is not one and is not read into memory.
constexpr std::uintmax_t kMaxLanguageFileBytes = 1u << 20;
constexpr std::uintmax_t kMaxIndexBytes = 64u << 10;

const char* const kIndexPath = "Lan/Language.bin";

enum class ReadResult { Ok, Missing, TooLarge };

// The whole content of a regular file of at most `maxBytes`.
ReadResult readFileBytes(const std::string& path, std::uintmax_t maxBytes, std::string& out) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return ReadResult::Missing;
  std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return ReadResult::Missing;
  if (size > maxBytes) return ReadResult::TooLarge;
  std::ifstream in(path, std::ios::binary);
  if (!in) return ReadResult::Missing;
  out.assign(static_cast<std::size_t>(size), '\0');
  in.read(out.data(), static_cast<std::streamsize>(size));
  out.resize(static_cast<std::size_t>(in.gcount()));
  if (in.bad()) return ReadResult::Missing;
  return ReadResult::Ok;
}

// Lines of a text, cut at CR LF, LF or a lone CR; a last line without its
// line end counts, a line end at the very end adds no empty line.
std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0, i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(text.substr(start, i - start));
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// Fields of a line: one more than it has backslashes.
std::vector<std::string_view> splitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    std::size_t p = line.find('\\', start);
    if (p == std::string_view::npos) break;
    fields.push_back(line.substr(start, p - start));
    start = p + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}

// Whether every byte sequence is well-formed UTF-8 (no overlong forms, no
// surrogates, nothing beyond U+10FFFF); `multibyte` tells whether one of
// them is not ASCII.
bool isUtf8(std::string_view s, bool& multibyte) {
  multibyte = false;
  std::size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    int n;
    char32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
      n = 1, cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      n = 2, cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      n = 3, cp = c & 0x07;
    } else {
      return false;
    }
    if (i + n >= s.size()) return false;  // sequence cut short
    for (int k = 1; k <= n; ++k) {
      unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    multibyte = true;
    i += n + 1;
  }
  return true;
}

// The number in an index field, read as the old Val() does (blanks skipped,
// up to the first character that cannot continue it, none reads as 0) and
// rounded to a whole number; nullopt when it is out of the 16-bit range the
// index numbers were kept in.
std::optional<int> indexNumber(std::string_view field) {
  double v = roundHalfEven(val(field));
  if (v < -32768.0 || v > 32767.0) return std::nullopt;
  return static_cast<int>(v);
}

// The index, decoded; nullopt when it is missing, too large or undecodable.
std::optional<std::string> readIndexText() {
  std::string bytes;
  if (readFileBytes(appPath(kIndexPath), kMaxIndexBytes, bytes) != ReadResult::Ok) return std::nullopt;
  return DecodeLanguageBytes(bytes);
}

}  // namespace

std::optional<std::string> DecodeLanguageBytes(std::string_view bytes) {
  auto startsWith = [&](std::string_view bom) { return bytes.substr(0, bom.size()) == bom; };
  if (startsWith(std::string_view("\x00\x00\xFE\xFF", 4)) || startsWith("\xFF\xFE") || startsWith("\xFE\xFF"))
    return std::nullopt;
  // A UTF-8 mark is taken off whatever follows: a file saved with it by one
  // editor and changed by another in code page 1252 still reads as 1252.
  const bool marked = startsWith("\xEF\xBB\xBF");
  if (marked) bytes.remove_prefix(3);
  bool multibyte = false;
  if (isUtf8(bytes, multibyte) && (marked || multibyte)) return std::string(bytes);
  return cp1252ToUtf8(bytes);
}

int ApplyLanguageText(std::string_view text, UiText& texts) {
  int applied = 0;
  for (std::string_view line : splitLines(text)) {
    if (line.empty()) break;  // an empty line ends the file
    std::vector<std::string_view> fields = splitFields(line);
    std::string key;
    key.reserve(fields[0].size());
    for (char c : fields[0])
      if (c != '\t') key += c;
    const UiTextSlot* slot = FindUiTextKey(key);
    if (!slot) continue;           // not a key: passed over, with or without a backslash
    if (fields.size() < 2) break;  // a key alone ends the file, as an empty line does
    texts.*(slot->member) = std::string(fields[1]);
    ++applied;
  }
  return applied;
}

namespace {

const char* langStatusText(LangStatus s) {
  switch (s) {
    case LangStatus::Loaded:
      return "loaded";
    case LangStatus::IndexMissing:
      return "the index is missing, unreadable or not an index";
    case LangStatus::IndexBroken:
      return "the index's header or selected line has no backslash";
    case LangStatus::NoLanguageFile:
      return "no language line carries the selected number";
    case LangStatus::FileMissing:
      return "the language file is missing or unreadable";
    case LangStatus::FileUnreadable:
      return "the language file is too large or in UTF-16/UTF-32";
  }
  return "";
}

void logLanguage(const std::string& what, LangStatus s) {
  logLazy(LogArea::File, s == LangStatus::Loaded ? LogLevel::Info : LogLevel::Warning,
          [&] { return what + ": " + langStatusText(s); });
}

LangStatus loadLanguageStrings(const LanguageState& st, UiText& texts) {
  const std::string& path = st.LangFile;
  if (path.empty()) return LangStatus::NoLanguageFile;
  std::string bytes;
  switch (readFileBytes(path, kMaxLanguageFileBytes, bytes)) {
    case ReadResult::Missing:
      return LangStatus::FileMissing;
    case ReadResult::TooLarge:
      return LangStatus::FileUnreadable;
    case ReadResult::Ok:
      break;
  }
  std::optional<std::string> text = DecodeLanguageBytes(bytes);
  if (!text) return LangStatus::FileUnreadable;
  ApplyLanguageText(*text, texts);
  return LangStatus::Loaded;
}

}  // namespace

LangStatus LoadLanguageStrings(const LanguageState& st, UiText& texts) {
  const LangStatus s = loadLanguageStrings(st, texts);
  logLanguage("language file \"" + st.LangFile + "\"", s);
  return s;
}

LangStatus LoadLanguageIndex(LanguageState& st, UiText& texts) {
  st.LangCount = 0;
  auto failed = [](LangStatus s) {
    logLanguage("language index \"" + appPath(kIndexPath) + "\"", s);
    return s;
  };
  std::optional<std::string> text = readIndexText();
  if (!text) return failed(LangStatus::IndexMissing);

  int lineNo = 0;
  for (std::string_view line : splitLines(*text)) {
    ++lineNo;
    if (line.empty()) continue;
    std::vector<std::string_view> fields = splitFields(line);
    if (lineNo == 1) {
      if (fields.size() < 2) return failed(LangStatus::IndexBroken);
      std::optional<int> no = indexNumber(fields[1]);
      if (!no) return failed(LangStatus::IndexBroken);
      st.LangNo = *no;
      continue;
    }
    ++st.LangCount;
    // Every line is looked at: when several carry the number, the last wins.
    if (val(fields[0]) == st.LangNo) {
      if (fields.size() < 2) return failed(LangStatus::IndexBroken);
      st.LangFile = appPath("Lan/" + std::string(fields[1]) + ".lan");
    }
  }
  if (st.LangFile.empty()) st.LangNo = 1;
  return LoadLanguageStrings(st, texts);
}

std::optional<std::vector<std::string>> ReadLanguageNames(int langCount) {
  if (langCount <= 0) return std::nullopt;
  std::optional<std::string> text = readIndexText();
  if (!text) return std::nullopt;
  std::vector<std::string> names(static_cast<std::size_t>(langCount));
  int lineNo = 0;
  for (std::string_view line : splitLines(*text)) {
    ++lineNo;
    if (line.empty() || lineNo == 1) continue;
    std::vector<std::string_view> fields = splitFields(line);
    int entry = lineNo - 2;
    if (fields.size() < 2 || entry >= langCount) return std::nullopt;
    names[static_cast<std::size_t>(entry)] = std::string(fields[1]);
  }
  return names;
}

namespace {

bool writeLanguageChoice(const LanguageState& st, int option) {
  const std::string path = appPath(kIndexPath);
  std::string bytes;
  if (readFileBytes(path, kMaxIndexBytes, bytes) != ReadResult::Ok) return false;
  // The lines are written back as they were read; only the header changes.
  std::vector<std::string_view> lines = splitLines(bytes);
  if (lines.empty()) return false;
  std::vector<std::string_view> header = splitFields(lines[0]);
  if (header.size() < 2) return false;
  std::string number(header[1]);
  if (option >= 0 && option < st.LangCount) number = std::to_string(option + 1);

  std::string out = std::string(header[0]) + "\\" + number + "\r\n";
  for (std::size_t i = 1; i < lines.size(); ++i) out.append(lines[i]).append("\r\n");

  // Write beside the index and rename over it, so that a failed write never
  // leaves a truncated index behind.
  const std::string tmp = path + ".tmp";
  {
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    f.write(out.data(), static_cast<std::streamsize>(out.size()));
    f.close();
    if (!f) {
      std::remove(tmp.c_str());
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(tmp, path, ec);
  if (ec) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace

bool SaveLanguageChoice(const LanguageState& st, int option) {
  const bool saved = writeLanguageChoice(st, option);
  logLazy(LogArea::File, saved ? LogLevel::Info : LogLevel::Warning, [&] {
    return "language index \"" + appPath(kIndexPath) + (saved ? "\" written" : "\" not written");
  });
  return saved;
}

}  // namespace vkz
