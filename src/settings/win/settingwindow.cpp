#include "settings/win/settingwindow.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <algorithm>

#include "base/handlerstep.h"
#include "base/trtext.h"
#include "link/frames.h"
#include "settings/setoutcome.h"
#include "shell/layout.h"
#include "state/programstate.h"
#include "ui/mainwindowhost.h"
#include "ui/msgbox.h"
#include "ui/panelview.h"
#include "ui/qtext.h"
#include "ui/twips.h"

namespace vkz {

namespace {

// The allowances for the window's frame taken off before the panel is
// centred, in twips.
constexpr int kAllowX = 100;
constexpr int kAllowY = 500;

// Discards every key that types a character into a list: its text would
// otherwise pick the entry that starts with it. Keys without text (the
// arrows, F4) still move through the list as a pick does.
class PickOnlyFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::KeyPress && !static_cast<QKeyEvent*>(e)->text().isEmpty()) return true;
    return QObject::eventFilter(o, e);
  }
};

// Selects the whole text of a number box as it gets the focus. A mouse
// click would place the cursor right after: select again once it has.
class SelectAllFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::FocusIn) {
      if (auto* box = qobject_cast<QLineEdit*>(o)) {
        box->selectAll();
        if (static_cast<QFocusEvent*>(e)->reason() == Qt::MouseFocusReason)
          QTimer::singleShot(0, box, [box] { box->selectAll(); });
      }
    }
    return QObject::eventFilter(o, e);
  }
};

}  // namespace

SettingWindow::SettingWindow(std::int16_t* openFlag, int minWidth, int minHeight)
    : FormWindow(openFlag), minW_(minWidth), minH_(minHeight) {
  // The design size until the load maximises the window.
  resize(pxX(minWidth), pxY(minHeight));
}

QFrame* SettingWindow::makePanel(const char* name, int widthTw, int heightTw) {
  panel_ = new QFrame(this);
  panel_->setObjectName(QString::fromLatin1(name));
  panel_->setFrameShape(QFrame::Panel);
  panel_->setFrameShadow(QFrame::Raised);
  panel_->resize(pxX(widthTw), pxY(heightTw));
  // Centred where it fits; at the top-left, and scrolled, where it does not.
  view_ = new PanelView(this, panel_, [](QSize room, QSize panel) {
    const CentredOut o = CentreInWindow(twX(room.width()), twY(room.height()), twX(panel.width()),
                                        twY(panel.height()), 0, 0, kAllowX, kAllowY);
    return QPoint(pxX(o.panelLeft), pxY(o.panelTop));
  });
  return panel_;
}

void SettingWindow::maximise() {
  setWindowState(windowState() | Qt::WindowMaximized);
}

QWidget* SettingWindow::frameWidget() {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) return sub;
  return this;
}

void SettingWindow::Form_Resize() {
  QWidget* outer = frameWidget();
  if (isMinimized() || outer->isMinimized()) return;
  // Raise a window smaller than its minimum; the new size raises a resize
  // of its own, which centres the panel in it. A maximised window keeps
  // the size of the client area.
  step([&] {
    const int dw = std::max(0, pxX(minW_) - width());
    const int dh = std::max(0, pxY(minH_) - height());
    if ((dw > 0 || dh > 0) && !outer->isMaximized()) outer->resize(outer->width() + dw, outer->height() + dh);
  });
  step([&] {
    if (view_) view_->setGeometry(rect());
  });
}

void SettingWindow::ExitBtn_Click() {
  FormRegistry::unload(this);
}

// ---- controls ----------------------------------------------------------------

void placeTw(QWidget* w, int left, int top, int width, int height) {
  setTwipsGeometry(w, left, top, width, height);
}

void makePickOnly(QComboBox* list) {
  list->setEditable(false);
  list->installEventFilter(new PickOnlyFilter(list));
}

QComboBox* makePickList(QWidget* parent, const QString& name, int left, int top, int width, int height) {
  auto* list = new QComboBox(parent);
  list->setObjectName(name);
  list->setMaxVisibleItems(20);
  placeTw(list, left, top, width, height);
  makePickOnly(list);
  return list;
}

namespace {
void numberOnly(QLineEdit* box, int maxLength) {
  // The limit applies to typing only: the meter's values are shown whole.
  const QString digits =
      maxLength > 0 ? QStringLiteral("[0-9]{0,%1}").arg(maxLength) : QStringLiteral("[0-9]*");
  box->setValidator(new QRegularExpressionValidator(QRegularExpression(digits), box));
  box->installEventFilter(new SelectAllFilter(box));
}
}  // namespace

void makeNumberOnly(QLineEdit* box) {
  numberOnly(box, 0);
}

QLineEdit* makeNumberBox(QWidget* parent, const QString& name, int maxLength, int left, int top, int width,
                         int height) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  placeTw(box, left, top, width, height);
  numberOnly(box, maxLength);
  return box;
}

QPushButton* makeButton(QWidget* parent, const QString& name, int left, int top, int width, int height) {
  auto* b = new QPushButton(parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  placeTw(b, left, top, width, height);
  return b;
}

QLabel* makeLabel(QWidget* parent, const QString& name, int left, int top) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  l->move(pxX(left), pxY(top));
  return l;
}

void setLabelText(QLabel* label, const QString& text) {
  label->setText(text);
  label->adjustSize();
}

// ---- the write bracket ---------------------------------------------------------

bool erasePending() {
  return State().poll.erasePending();
}

bool refuseWhileErasing() {
  if (!erasePending()) return false;
  MsgBox::show(q(State().texts.TxtMemoryErasing), MsgIcon::Critical);
  return true;
}

bool writeSetting(EraseRule erase, ResumeRule resume, const std::function<PortResult()>& send) {
  if (erase == EraseRule::Refuse && refuseWhileErasing()) return false;
  PortResult sent{PortStatus::Failed, trText("Port", "the request could not be made")};
  if (resume == ResumeRule::AfterSend) {
    // Polling paused around the write; the acknowledgement is awaited.
    PollPause pause(State().poll);
    step([&] { sent = State().poll.writeAwaited(send); });
  } else {
    // Paused for the exchange: its answer resumes polling.
    step([] { State().poll.StopPanelTimers(); });
    step([&] { sent = send(); });
  }
  if (sent.ok()) return true;
  if (sent.status == PortStatus::BadValue)
    MsgBox::show(q(State().texts.TxtSetError), MsgIcon::Critical);
  else
    MsgBox::show(q(UnsentRequestText(State().texts.TxtSetFail, sent)), MsgIcon::Critical);
  return false;
}

void showSettingWindow(QWidget* w) {
  if (!w) return;
  MainWindowHost* host = State().mainWindow ? State().mainWindow() : nullptr;
  if (host) {
    host->showMdiChild(w);
  } else if (w->windowState() & Qt::WindowMaximized) {
    w->showMaximized();
  } else {
    w->show();
  }
}

}  // namespace vkz
