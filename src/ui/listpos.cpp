#include "ui/listpos.h"

#include <QComboBox>
#include <QPointer>
#include <QSignalBlocker>

namespace vkz {
namespace {

// Holds a list's handler; a child of the combo box, so it lives and dies
// with it.
class ListHandler : public QObject {
 public:
  explicit ListHandler(QComboBox* combo) : QObject(combo) {
    setObjectName(QStringLiteral("vkzListHandler"));
    // `activated` is the user's pick, sent even when the item does not change.
    QObject::connect(combo, &QComboBox::activated, this, [this](int) { run(); });
  }
  void run() {
    if (!fn) return;
    auto f = fn;  // the handler may replace itself or unload the window
    f();
  }
  std::function<void()> fn;
};

ListHandler* handlerOf(QComboBox* combo) {
  return combo->findChild<ListHandler*>(QStringLiteral("vkzListHandler"), Qt::FindDirectChildrenOnly);
}

}  // namespace

void setListHandler(QComboBox* combo, std::function<void()> handler) {
  if (!combo) return;
  ListHandler* h = handlerOf(combo);
  if (!h) h = new ListHandler(combo);
  h->fn = std::move(handler);
}

ListStatus setListPosition(QComboBox* combo, int pos) {
  if (!combo || pos < -1 || pos >= combo->count()) return ListStatus::InvalidPosition;
  if (combo->currentIndex() == pos) return ListStatus::Ok;
  QPointer<QComboBox> guard(combo);
  combo->setCurrentIndex(pos);
  if (!guard) return ListStatus::Ok;
  if (ListHandler* h = handlerOf(combo)) h->run();
  return ListStatus::Ok;
}

int listPosition(const QComboBox* combo) {
  return combo ? combo->currentIndex() : -1;
}

void fillList(QComboBox* combo, const QStringList& items) {
  if (!combo) return;
  QSignalBlocker block(combo);
  combo->clear();
  combo->addItems(items);
  combo->setCurrentIndex(-1);
}

void addListItem(QComboBox* combo, const QString& item) {
  if (!combo) return;
  QSignalBlocker block(combo);
  const int pos = combo->currentIndex();
  combo->addItem(item);
  combo->setCurrentIndex(pos);  // adding to an empty list would select it
}

void clearList(QComboBox* combo) {
  if (!combo) return;
  QSignalBlocker block(combo);
  combo->clear();
}

}  // namespace vkz
