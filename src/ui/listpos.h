// The old list box's settable position over QComboBox.
//
// A window hooks its selection handler (the `...Cbx_Click` of the old list)
// with setListHandler(). The handler then runs
//   - when the user picks an item (also the item already shown), and
//   - synchronously inside setListPosition() whenever code changes the
//     position (a window's load, a window's rule, the reply decoder).
// Setting the position a list already has runs nothing, so rules that set
// each other's lists end after one nested level. Filling a list runs
// nothing and leaves no entry selected (a plain QComboBox would select its
// first item).
//
// Connect window handlers here, not to QComboBox::currentIndexChanged.
#pragma once
#include <QString>
#include <QStringList>
#include <functional>

class QComboBox;

namespace vkz {

// Result of setting a list position. InvalidPosition is the old run-time
// error of a position outside the list: the list is left as it was and no
// handler ran; each caller applies its own error regime (skip, first item
// and stop ...).
enum class ListStatus { Ok, InvalidPosition };

// Hooks (or, with an empty function, unhooks) the list's selection handler.
void setListHandler(QComboBox* combo, std::function<void()> handler);

// Sets the position: -1 clears the selection, 0 .. count-1 selects an item,
// anything else is refused with InvalidPosition.
ListStatus setListPosition(QComboBox* combo, int pos);

// The current position, -1 when no entry is selected.
int listPosition(const QComboBox* combo);

// Empties the list and adds `items`, running no handler and leaving no
// entry selected.
void fillList(QComboBox* combo, const QStringList& items);

// Appends one entry without selecting anything and without running the
// handler (the old AddItem of a list).
void addListItem(QComboBox* combo, const QString& item);

// Empties the list without running the handler.
void clearList(QComboBox* combo);

}  // namespace vkz
