#include "settings/win/lunchtimefrm.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "link/frames.h"
#include "settings/win/itemlist.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "ui/listpos.h"
#include "ui/qtext.h"

namespace vkz {

namespace {

// The time lists take typed keys (a digit picks its item).
QComboBox* makeTimeList(QWidget* parent, const QString& name, int left, int top) {
  auto* list = new QComboBox(parent);
  list->setObjectName(name);
  list->setMaxVisibleItems(20);
  placeTw(list, left, top, 735, 315);
  return list;
}

QGroupBox* makeTimeFrame(QWidget* parent, const char* name, int top, const QString& prefix, QComboBox*& hour,
                         QLabel*& hourLbl, QComboBox*& minute, QLabel*& minuteLbl) {
  auto* f = new QGroupBox(parent);
  f->setObjectName(QString::fromLatin1(name));
  placeTw(f, 240, top, 3495, 1035);
  hour = makeTimeList(f, QStringLiteral("Cbx%1Hour").arg(prefix), 240, 420);
  hourLbl = makeLabel(f, QStringLiteral("Lbl%1Hour").arg(prefix), 1035, 480);
  minute = makeTimeList(f, QStringLiteral("Cbx%1Minute").arg(prefix), 1800, 420);
  minuteLbl = makeLabel(f, QStringLiteral("Lbl%1Minute").arg(prefix), 2595, 480);
  return f;
}

}  // namespace

LunchTimeFrm::LunchTimeFrm() : SettingWindow(&State().flags.LunchTimeFrmOpen, 4215, 4320) {
  setObjectName(QStringLiteral("LunchTimeFrm"));
  setWindowTitle(QStringLiteral("LunchTime"));
  QFrame* p = makePanel("SSPVKZ418", 3975, 3615);
  LblEn = makeLabel(p, QStringLiteral("LblEn"), 240, 300);
  CbxEn = makePickList(p, QStringLiteral("CbxEn"), 1440, 240, 1935, 315);
  FrmStart = makeTimeFrame(p, "FrmStart", 780, QStringLiteral("Start"), CbxStartHour, LblStartHour,
                           CbxStartMinute, LblStartMinute);
  FrmStop = makeTimeFrame(p, "FrmStop", 1920, QStringLiteral("Stop"), CbxStopHour, LblStopHour, CbxStopMinute,
                          LblStopMinute);
  BtnSet = makeButton(p, QStringLiteral("BtnSet"), 1200, 3060, 1215, 435);
  BtnExit = makeButton(p, QStringLiteral("BtnExit"), 2520, 3060, 1215, 435);
  connect(BtnSet, &QPushButton::clicked, this, &LunchTimeFrm::BtnSet_Click);
  connect(BtnExit, &QPushButton::clicked, this, &SettingWindow::ExitBtn_Click);
  ApplyLunchTimeFrmText(*this);
  maximise();
}

LunchTimeModel LunchTimeFrm::entries() const {
  LunchTimeModel m;
  m.enable = listPosition(CbxEn);
  m.startHour = listPosition(CbxStartHour);
  m.startMinute = listPosition(CbxStartMinute);
  m.stopHour = listPosition(CbxStopHour);
  m.stopMinute = listPosition(CbxStopMinute);
  return m;
}

void LunchTimeFrm::showLunchTime(const LunchTimeReadback& lunch) {
  // In this order; a position a list lacks leaves that list as it was.
  setListPosition(CbxEn, lunch.enable);
  setListPosition(CbxStartHour, lunch.startHour);
  setListPosition(CbxStartMinute, lunch.startMinute);
  setListPosition(CbxStopHour, lunch.stopHour);
  setListPosition(CbxStopMinute, lunch.stopMinute);
}

void LunchTimeFrm::BtnSet_Click() {
  const auto record = lunchTimeRecord(entries());
  // A list left without a choice: nothing is written (nor awaited), and the
  // window says nothing, as it always did.
  if (!record) return;
  writeSetting(EraseRule::Ignore, ResumeRule::AfterSend, [&] {
    State().records.LunchTimeRecord = *record;
    return CmdWriteLunchTime(State().line(), State().records.LunchTimeRecord);
  });
}

void ApplyLunchTimeFrmText(LunchTimeFrm& f) {
  const UiText& t = State().texts;
  setLabelText(f.LblEn, q(t.TxtEnabled));
  setLabelText(f.LblStartHour, q(t.TxtHour));
  setLabelText(f.LblStartMinute, q(t.TxtMinute));
  setLabelText(f.LblStopHour, q(t.TxtHour));
  setLabelText(f.LblStopMinute, q(t.TxtMinute));
  f.BtnSet->setText(q(t.TxtSet));
  f.BtnExit->setText(q(t.TxtExit));
  fillList(f.CbxEn, itemList(lunchEnableItems(t)));
  f.FrmStart->setTitle(q(t.TxtStart));
  f.FrmStop->setTitle(q(t.TxtStop));
  const QStringList hours = itemList(lunchHourItems()), minutes = itemList(lunchMinuteItems());
  fillList(f.CbxStartHour, hours);
  fillList(f.CbxStartMinute, minutes);
  fillList(f.CbxStopHour, hours);
  fillList(f.CbxStopMinute, minutes);
}

}  // namespace vkz
