// A button's caption on the lines its button needs. The old platform's
// buttons broke a long caption into lines by themselves; Qt's draw one line.
// A caption wider than its button (a translation longer than the English)
// is broken at the space that leaves its wider line narrowest, when the
// button is high enough for two lines; the words stay the caption's own.
#pragma once

class QPushButton;
class QString;

namespace vkz {

void setButtonCaption(QPushButton* b, const QString& caption);

}  // namespace vkz
