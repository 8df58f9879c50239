#include "polling/win/devkz.h"

#include <QLabel>

#include "link/porttable.h"
#include "polling/memlist.h"
#include "polling/payload.h"
#include "polling/pollstate.h"
#include "polling/readbacks.h"
#include "polling/replies.h"
#include "polling/win/replydispatch.h"
#include "shell/flags.h"
#include "shell/win/panel.h"
#include "state/programstate.h"

namespace vkz {

namespace {

void handleClock(Payload p) {
  const auto c = decodeClock(p);
  if (!c) return;
  MeterClock& m = State().LastMeterClock;
  if (c->year) m.ClockYear = *c->year;
  m.ClockMonth = c->month;
  m.ClockDay = c->day;
  m.ClockHour = c->hour;
  m.ClockMinute = c->minute;
  m.ClockSecond = c->second;
  // The clock window shows it while open.
  if (State().flags.RTCFrmOpen == -1) {
    if (QWidget* w = FormRegistry::findByClassName("RTCFrm"))
      if (auto* l = w->findChild<QLabel*>(QStringLiteral("MeterTimeNowLbl")))
        if (auto text = clockLabelText(*c)) l->setText(QString::fromStdString(*text));
  }
}

void handleMemorySize(Payload p) {
  const auto s = decodeMemorySize(p);
  if (!s) return;
  // A size that does not fit keeps the value (and the label) it had.
  if (s->total) State().shell.MemTotalSize = *s->total;
  if (s->remain) State().shell.MemRemainSize = *s->remain;
  if (Panel* panel = ThePanel()) {
    panel->TotalSizeNumLbl->setText(QString::number(State().shell.MemTotalSize));
    panel->RemainSizeNumLbl->setText(QString::number(State().shell.MemRemainSize));
  }
}

}  // namespace

void DeVKZ418SDData() {
  PortEntry* e = CurrentEntry(State().link);
  if (!e) return;
  LinkState& link = State().link;
  link.CurReply = e->PortReply;
  const ReplyFrame& r = link.CurReply;
  if (DispatchReply(r)) return;
  // A reply shorter than its layout is dropped whole, never decoded from
  // bytes an earlier frame left behind.
  if (!replyFitsLayout(r.ReplyCode, r.ReplyLength)) return;
  const Payload p(r.ReplyData.data(), r.ReplyLength);
  switch (replyLayout(r.ReplyCode).kind) {
    case ReplyKind::Model:
      State().polling.MeterModel = BytesToText(r, r.ReplyLength - 1, "chr");
      break;
    case ReplyKind::Clock:
      handleClock(p);
      break;
    case ReplyKind::MemorySize:
      handleMemorySize(p);
      break;
    default:
      break;
  }
}

}  // namespace vkz
