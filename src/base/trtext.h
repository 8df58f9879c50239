// The program's own messages in the user's language. The texts of the
// user-interface table come from the language files; every other message the
// program shows (a file it cannot read, a port it may not open, a download
// that stopped ...) is written in English at its source and marked with
// trText(context, source), which the translation tools find and which looks
// the text up through a seam the program installs at start-up.
//
// Numbers and names go in through placeholders %1 ... %9 (fillText), never
// by joining pieces, so a translation may put them in its own order.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace vkz {

// Looks up `source` of `context` in the language in force; UTF-8 in and out.
using Translator = std::function<std::string(const char* context, const char* source)>;

// Installs the look-up (nullptr: every text stays as written).
void setTranslator(Translator t);

// The marked message `source` in the user's language. `context` and `source`
// are string literals, so the translation tools can read them. Any thread
// may ask (a report is made on a thread of its own); the look-up installed
// must allow that.
std::string trText(const char* context, const char* source);

// `pattern` with %1 ... %9 replaced by args[0] ... args[8]; a placeholder
// without an argument is kept as it stands, and the replaced texts are not
// searched again.
std::string fillText(const std::string& pattern, const std::vector<std::string>& args);

}  // namespace vkz
