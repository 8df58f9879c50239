// Which header item a ticked box of the selection panel stands for. The
// summary grid finds an item's row through the box's caption, compared with
// the current text of every item caption in a fixed order; the first equal
// text wins. So a box keeps giving its own row as long as the texts are
// distinct and unchanged since the window loaded; a box whose caption no
// longer matches any text (the language changed meanwhile) gives none.
#pragma once
#include <array>
#include <string_view>

#include "views/headeritems.h"

namespace vkz {

struct UiText;

// The items in the order their captions are compared.
const std::array<int, kHeaderItemCount>& HeaderItemCompareOrder();

// The item whose current caption equals `caption` exactly, or -1.
int HeaderItemForCaption(std::string_view caption, const UiText& ui);

}  // namespace vkz
