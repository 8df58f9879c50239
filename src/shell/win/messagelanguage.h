// The program's own messages (those beyond the text table) follow the
// language the user chose: each language file may have a compiled catalogue
// of them in the program, found by the language file's name. Qt's own
// catalogue of that language (installed with Qt's translations) goes with
// it, so the toolkit's dialogs (open, save, print) speak the same language.
#pragma once
#include <QString>

#include "shell/langfile.h"

namespace vkz {

// The catalogue that goes with a language file ("pt_BR" for
// "Lan/Português (Brasil).lan"); empty for English and for a language
// without one.
QString MessageCatalogueFor(const std::string& langFile);

// After a load of the language index (start-up, the language window's
// Set): when a language file was read, the messages and Qt's dialogs switch
// to its catalogues, or back to English when it has none; otherwise the
// texts in force stay, and so do the messages.
void ApplyMessageLanguage(const LanguageState& st, LangStatus status);

}  // namespace vkz
