#include "link/win/linkhooks.h"

#include <QCoreApplication>
#include <QString>

#include "link/eventpump.h"
#include "ui/msgbox.h"

namespace vkz {

void installLinkMessageHook() {
  setLinkMessage([](const std::string& text) {
    MsgBox::show(QString::fromStdString(text), MsgIcon::Critical, MsgButtons::Ok);
  });
}

void installLinkHooks() {
  setEventPump([] { QCoreApplication::processEvents(); });
  installLinkMessageHook();
}

}  // namespace vkz
