// Language files: the folder Lan/ beside the program holds the language index
// Language.bin and one file per language, <name>.lan.
//
// Language.bin, one line per entry, fields split at backslashes:
//   line 1      free text \ selected language number (1 = first language line)
//   line 2...   language number k (k-th language line) \ language name
// <name>.lan, one line per text: key \ translation. The key is an English
// text of the user-interface table (TABs in it are ignored, so translations
// can be aligned in a column); a line with an unknown key is ignored, with
// or without a backslash; an empty line, or a line made of a key alone
// (no backslash), ends the file.
//
// Both files are 8-bit code page 1252 text with CR LF line ends. A file that
// is valid UTF-8 throughout and holds some non-ASCII character, or that
// starts with a UTF-8 byte-order mark and is valid UTF-8 after it, is taken
// as UTF-8 instead (a file edited with a UTF-8 editor); plain ASCII reads
// the same either way. The mark itself is never part of the text.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/uitext.h"

namespace vkz {

// What the language loading found. Loading never fails loudly: whatever the
// outcome, the text table holds valid texts (those in force before, with the
// lines applied so far).
struct LanguageState {
  int LangNo = 0;        // selected language number; 1 when no file was found
  int LangCount = 0;     // language lines in the last read of the index
  std::string LangFile;  // full path of the selected language file; never cleared
  void reset() { *this = LanguageState{}; }
};

enum class LangStatus {
  Loaded,          // the language file was read and applied
  IndexMissing,    // Lan/Language.bin is missing, unreadable or not an index
  IndexBroken,     // the header or the selected line has no backslash
  NoLanguageFile,  // no language line carries the selected number
  FileMissing,     // the selected language file is missing or unreadable
  FileUnreadable,  // the language file is too large or in UTF-16/UTF-32
};

// Reads Lan/Language.bin into `st`, then lays the selected language file
// over the texts in force (LoadLanguageStrings). Called at start-up after
// LoadDefaultStrings() and by the language window after a change of language.
LangStatus LoadLanguageIndex(LanguageState& st, UiText& texts);

// Lays the file named by st.LangFile over `texts`.
LangStatus LoadLanguageStrings(const LanguageState& st, UiText& texts);

// Bytes of a language or index file -> UTF-8 text; nullopt for a file in
// UTF-16 or UTF-32 (byte-order mark), which no line of could match.
std::optional<std::string> DecodeLanguageBytes(std::string_view bytes);

// Lays the lines of a language file (UTF-8 text) over `texts`, in file order,
// until the first empty line or the first key alone. Returns the number of
// lines applied.
int ApplyLanguageText(std::string_view text, UiText& texts);

// For the language window: the language names of the index, entry k being
// the name on line k + 2 (an entry no line fills stays empty), `langCount`
// entries. nullopt when the index cannot be read, `langCount` is 0, or a
// language line has no backslash or stands beyond the `langCount` entries.
std::optional<std::vector<std::string>> ReadLanguageNames(int langCount);

// For the language window's Set: rewrites the header line of the index as
// its first field, a backslash and `option` + 1 (the 0-based option chosen in
// the window; -1 or an option outside 0..st.LangCount - 1 keeps the
// header's number), dropping any further header field. Every other line is
// written back byte for byte, each line ending CR LF. The file is replaced
// only when the new one is written in full. Returns false, leaving the index
// as it was, when it is missing, its header has no backslash or it cannot be
// written.
bool SaveLanguageChoice(const LanguageState& st, int option);

}  // namespace vkz
