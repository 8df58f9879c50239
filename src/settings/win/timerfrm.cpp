#include "settings/win/timerfrm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "link/frames.h"
#include "settings/win/itemlist.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "ui/checkvalue.h"
#include "ui/listpos.h"
#include "ui/msgbox.h"
#include "ui/qtext.h"

namespace vkz {

namespace {

// Layout, in twips.
constexpr int kBoxH = 315;
constexpr int kPicTop = 720, kPicW = 5295, kPicH = 6555;
constexpr int kRowTop = 600, kRowStep = 330;  // schedule rows inside their frames

QFrame* makePic(QWidget* parent, const char* name) {
  auto* pic = new QFrame(parent);
  pic->setObjectName(QString::fromLatin1(name));
  placeTw(pic, 120, kPicTop, kPicW, kPicH);
  pic->hide();
  return pic;
}

QGroupBox* makeFrame(QWidget* parent, const char* name, int left, int top, int width, int height) {
  auto* f = new QGroupBox(parent);
  f->setObjectName(QString::fromLatin1(name));
  placeTw(f, left, top, width, height);
  return f;
}

std::string text(const QLineEdit* box) {
  return box->text().toStdString();
}

}  // namespace

TimerFrm::TimerFrm() : SettingWindow(&State().flags.TimerFrmOpen, 5760, 9000) {
  setObjectName(QStringLiteral("TimerFrm"));
  maximise();
  QFrame* p = makePanel("SSPanel1", 5535, 8415);
  ModeLbl = makeLabel(p, QStringLiteral("ModeLbl"), 240, 240);
  TimerManuallyCbx = makePickList(p, QStringLiteral("TimerManuallyCbx"), 1320, 180, 1815, kBoxH);
  setListHandler(TimerManuallyCbx, [this] { TimerManuallyCbx_Click(); });
  makeDelayPanel(p);
  makeRepeatPanel(p);
  makePcPanel(p);
  TimerBtn = makeButton(p, QStringLiteral("TimerBtn"), 2880, 7560, 1215, 555);
  ExitBtn = makeButton(p, QStringLiteral("ExitBtn"), 4200, 7560, 1215, 555);
  connect(TimerBtn, &QPushButton::clicked, this, &TimerFrm::TimerBtn_Click);
  connect(ExitBtn, &QPushButton::clicked, this, &SettingWindow::ExitBtn_Click);
  const QStringList counts = itemList(timerCountItems());
  fillList(RepeatCntCbx, counts);
  fillList(PCRepeatCbx, counts);
  ApplyTimerFrmText(*this);
}

void TimerFrm::makeDelayPanel(QWidget* parent) {
  ManuallyPic = makePic(parent, "ManuallyPic");
  struct Field {
    QLabel*& label;
    QLineEdit*& box;
    const char *labelName, *boxName;
    int left, width, maxLength;
    const char* initial;
  };
  const Field fields[] = {
      {DelayYearLbl, DelayYearTxt, "DelayYearLbl", "DelayYearTxt", 120, 855, 4, "2016"},
      {DelayMonthLbl, DelayMonthTxt, "DelayMonthLbl", "DelayMonthTxt", 1080, 615, 2, "4"},
      {DelayDayLbl, DelayDayTxt, "DelayDayLbl", "DelayDayTxt", 1800, 615, 2, "1"},
      {DelayHourLbl, DelayHourTxt, "DelayHourLbl", "DelayHourTxt", 2520, 615, 2, "4"},
      {DelayMinuteLbl, DelayMinuteTxt, "DelayMinuteLbl", "DelayMinuteTxt", 3240, 615, 2, "1"},
  };
  for (const Field& f : fields) {
    f.label = makeLabel(ManuallyPic, QString::fromLatin1(f.labelName), f.left, 120);
    f.box =
        makeNumberBox(ManuallyPic, QString::fromLatin1(f.boxName), f.maxLength, f.left, 420, f.width, kBoxH);
    f.box->setText(QString::fromLatin1(f.initial));
  }
  DelayDurLbl = makeLabel(ManuallyPic, QStringLiteral("DelayDurLbl"), 120, 1020);
  DelayDurHourCbx = makePickList(ManuallyPic, QStringLiteral("DelayDurHourCbx"), 1080, 960, 735, kBoxH);
  DelayDurHourLbl = makeLabel(ManuallyPic, QStringLiteral("DelayDurHourLbl"), 1875, 1020);
  DelayDurMinCbx = makePickList(ManuallyPic, QStringLiteral("DelayDurMinCbx"), 2640, 960, 735, kBoxH);
  DelayDurMinuteLbl = makeLabel(ManuallyPic, QStringLiteral("DelayDurMinuteLbl"), 3435, 1020);
  fillList(DelayDurHourCbx, itemList(timerDurationHourItems()));
  fillList(DelayDurMinCbx, itemList(timerDurationMinuteItems()));
}

void TimerFrm::makeRepeatPanel(QWidget* parent) {
  RepeatPic = makePic(parent, "RepeatPic");
  // A frame of two boxes: hours and minutes, initially "4" and "1".
  const auto timeFrame = [&](QGroupBox*& frame, const char* name, int top, QLineEdit*& hour, QLabel*& hourLbl,
                             QLineEdit*& minute, QLabel*& minuteLbl, const QString& prefix) {
    frame = makeFrame(RepeatPic, name, 120, top, 5055, 1035);
    hour = makeNumberBox(frame, prefix + QStringLiteral("HourTxt"), 2, 240, 480, 615, kBoxH);
    hourLbl = makeLabel(frame, prefix + QStringLiteral("HourLbl"), 960, 540);
    minute = makeNumberBox(frame, prefix + QStringLiteral("MinuteTxt"), 2, 2040, 480, 615, kBoxH);
    minuteLbl = makeLabel(frame, prefix + QStringLiteral("MinuteLbl"), 2760, 540);
    hour->setText(QStringLiteral("4"));
    minute->setText(QStringLiteral("1"));
  };
  timeFrame(RepeatStartTimeSSF, "RepeatStartTimeSSF", 120, RepeatStartHourTxt, RepeatStartHourLbl,
            RepeatStartMinuteTxt, RepeatStartMinuteLbl, QStringLiteral("RepeatStart"));
  timeFrame(RepeatStopTimeSSF, "RepeatStopTimeSSF", 1320, RepeatStopHourTxt, RepeatStopHourLbl,
            RepeatStopMinuteTxt, RepeatStopMinuteLbl, QStringLiteral("RepeatStop"));
  RepeatCntLbl = makeLabel(RepeatPic, QStringLiteral("RepeatCntLbl"), 120, 2640);
  setLabelText(RepeatCntLbl, QStringLiteral("Repeat"));
  RepeatCntCbx = makePickList(RepeatPic, QStringLiteral("RepeatCntCbx"), 1080, 2580, 735, kBoxH);
}

void TimerFrm::makePcPanel(QWidget* parent) {
  PcPic = makePic(parent, "PcPic");
  EnabledSSF = makeFrame(PcPic, "EnabledSSF", 120, 0, 735, 6000);
  StartSSF = makeFrame(PcPic, "StartSSF", 960, 0, 2055, 6000);
  StopSSF = makeFrame(PcPic, "StopSSF", 3120, 0, 2055, 6000);
  PcStartHourLbl = makeLabel(StartSSF, QStringLiteral("PcStartHourLbl"), 180, 300);
  PcStartMinuteLbl = makeLabel(StartSSF, QStringLiteral("PcStartMinuteLbl"), 1080, 300);
  PcStopHourLbl = makeLabel(StopSSF, QStringLiteral("PcStopHourLbl"), 180, 300);
  PcStopMinuteLbl = makeLabel(StopSSF, QStringLiteral("PcStopMinuteLbl"), 1080, 300);
  for (int r = 0; r < kTimerRows; ++r) {
    const auto k = static_cast<std::size_t>(r);
    const int top = kRowTop + kRowStep * r;
    const auto box = [&](QWidget* frame, const char* name, int left) {
      QLineEdit* b = makeNumberBox(frame, QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(r), 2, left,
                                   top, 615, kBoxH - 30);
      b->setText(QStringLiteral("0"));
      b->setEnabled(false);
      return b;
    };
    PcStartHour[k] = box(StartSSF, "PcStartHour", 180);
    PcStartMinute[k] = box(StartSSF, "PcStartMinute", 1080);
    PcStopHour[k] = box(StopSSF, "PcStopHour", 180);
    PcStopMinute[k] = box(StopSSF, "PcStopMinute", 1080);
    PcEnCkx[k] = new QCheckBox(EnabledSSF);
    PcEnCkx[k]->setObjectName(QStringLiteral("PcEnCkx_%1").arg(r));
    placeTw(PcEnCkx[k], 240, top, 375, kBoxH - 30);
    // Any change of the value, the user's or the decoder's, runs the rule.
    connect(PcEnCkx[k], &QCheckBox::stateChanged, this, [this, r] { PcEnCkx_Click(r); });
    // A click on a greyed box leaves it on, and two-valued.
    connect(PcEnCkx[k], &QCheckBox::clicked, this, [this, k] { PcEnCkx[k]->setTristate(false); });
  }
  PCRepeatLbl = makeLabel(PcPic, QStringLiteral("PCRepeatLbl"), 120, 6180);
  PCRepeatCbx = makePickList(PcPic, QStringLiteral("PCRepeatCbx"), 1080, 6120, 735, kBoxH);
}

void TimerFrm::TimerManuallyCbx_Click() {
  const TimerPanel shown = timerPanel(listPosition(TimerManuallyCbx));
  ManuallyPic->setVisible(shown == TimerPanel::ManuallyPic);
  RepeatPic->setVisible(shown == TimerPanel::RepeatPic);
  PcPic->setVisible(shown == TimerPanel::PcPic);
}

void TimerFrm::setRowBoxesEnabled(int row, bool enabled) {
  const auto k = static_cast<std::size_t>(row);
  for (QLineEdit* b : {PcStartHour[k], PcStartMinute[k], PcStopHour[k], PcStopMinute[k]})
    b->setEnabled(enabled);
}

void TimerFrm::PcEnCkx_Click(int index) {
  if (index < 0 || index >= kTimerRows) return;
  setRowBoxesEnabled(index, checkValue(PcEnCkx[static_cast<std::size_t>(index)]) == 1);
}

TimerModel TimerFrm::entries() const {
  TimerModel m;
  m.mode = listPosition(TimerManuallyCbx);
  m.delayYear = text(DelayYearTxt);
  m.delayMonth = text(DelayMonthTxt);
  m.delayDay = text(DelayDayTxt);
  m.delayHour = text(DelayHourTxt);
  m.delayMinute = text(DelayMinuteTxt);
  m.delayDurHour = listPosition(DelayDurHourCbx);
  m.delayDurMin = listPosition(DelayDurMinCbx);
  m.repeatStartHour = text(RepeatStartHourTxt);
  m.repeatStartMinute = text(RepeatStartMinuteTxt);
  m.repeatStopHour = text(RepeatStopHourTxt);
  m.repeatStopMinute = text(RepeatStopMinuteTxt);
  m.repeatCount = listPosition(RepeatCntCbx);
  m.pcRepeat = listPosition(PCRepeatCbx);
  for (std::size_t k = 0; k < kTimerRows; ++k) {
    m.rows[k] = {text(PcStartHour[k]),  text(PcStartMinute[k]), text(PcStopHour[k]),
                 text(PcStopMinute[k]), checkValue(PcEnCkx[k]), PcStartHour[k]->isEnabled()};
  }
  return m;
}

void TimerFrm::showEntries(const TimerModel& m) {
  // The mode first: its handler shows the mode's panel.
  setListPosition(TimerManuallyCbx, m.mode);
  DelayYearTxt->setText(q(m.delayYear));
  DelayMonthTxt->setText(q(m.delayMonth));
  DelayDayTxt->setText(q(m.delayDay));
  DelayHourTxt->setText(q(m.delayHour));
  DelayMinuteTxt->setText(q(m.delayMinute));
  setListPosition(DelayDurHourCbx, m.delayDurHour);
  setListPosition(DelayDurMinCbx, m.delayDurMin);
  RepeatStartHourTxt->setText(q(m.repeatStartHour));
  RepeatStartMinuteTxt->setText(q(m.repeatStartMinute));
  RepeatStopHourTxt->setText(q(m.repeatStopHour));
  RepeatStopMinuteTxt->setText(q(m.repeatStopMinute));
  setListPosition(RepeatCntCbx, m.repeatCount);
  setListPosition(PCRepeatCbx, m.pcRepeat);
  for (int r = 0; r < kTimerRows; ++r) {
    const auto k = static_cast<std::size_t>(r);
    const TimerRow& row = m.rows[k];
    PcStartHour[k]->setText(q(row.startHour));
    PcStartMinute[k]->setText(q(row.startMinute));
    PcStopHour[k]->setText(q(row.stopHour));
    PcStopMinute[k]->setText(q(row.stopMinute));
    setCheckValue(PcEnCkx[k], row.enable);  // runs the row's rule on a change
    setRowBoxesEnabled(r, row.boxesEnabled);
  }
}

void TimerFrm::showTimers(const TimerReadback& timers) {
  TimerModel m = entries();
  m.apply(timers);
  showEntries(m);
}

void TimerFrm::TimerBtn_Click() {
  const UiText& t = State().texts;
  // Range checks and the lists first; nothing is armed or paused for a
  // refusal.
  const SetOutcome<TimerSetting> out = timerSet(entries(), t, false);
  if (!out.record) {
    MsgBox::show(q(out.refusal), MsgIcon::Critical);
    return;
  }
  // The engine pauses polling, sends the frames one by one and resumes
  // polling when the write ends (at once when nothing went out).
  writeSetting(EraseRule::Refuse, ResumeRule::ByDecoder,
               [&] { return State().poll.writeTimers(*out.record); });
}

void ApplyTimerFrmText(TimerFrm& f) {
  const UiText& t = State().texts;
  const QString hour = q(t.TxtHour), minute = q(t.TxtMinute);
  f.setWindowTitle(q(t.TxtTimers));
  setLabelText(f.ModeLbl, q(t.TxtMode));
  f.TimerBtn->setText(q(t.TxtSet));
  f.ExitBtn->setText(q(t.TxtExit));
  setLabelText(f.PCRepeatLbl, q(t.TxtRepeat));
  f.EnabledSSF->setTitle(q(t.TxtEn));
  f.StartSSF->setTitle(q(t.TxtStart));
  f.StopSSF->setTitle(q(t.TxtDuration));
  for (QLabel* l : {f.PcStartHourLbl, f.PcStopHourLbl, f.DelayHourLbl, f.DelayDurHourLbl,
                    f.RepeatStartHourLbl, f.RepeatStopHourLbl})
    setLabelText(l, hour);
  for (QLabel* l : {f.PcStartMinuteLbl, f.PcStopMinuteLbl, f.DelayMinuteLbl, f.DelayDurMinuteLbl,
                    f.RepeatStartMinuteLbl, f.RepeatStopMinuteLbl})
    setLabelText(l, minute);
  setLabelText(f.DelayYearLbl, q(t.TxtYear));
  setLabelText(f.DelayMonthLbl, q(t.TxtMonth));
  setLabelText(f.DelayDayLbl, q(t.TxtDay));
  setLabelText(f.DelayDurLbl, q(t.TxtDuration));
  f.RepeatStartTimeSSF->setTitle(q(t.TxtStartTime));
  f.RepeatStopTimeSSF->setTitle(q(t.TxtDuration));
  fillList(f.TimerManuallyCbx, itemList(timerModeItems(t)));
}

}  // namespace vkz
