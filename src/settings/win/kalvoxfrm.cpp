#include "settings/win/kalvoxfrm.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "link/frames.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "ui/listpos.h"
#include "ui/msgbox.h"
#include "ui/qtext.h"
#include "ui/twips.h"

namespace vkz {

namespace {

using F = KalvoxFrm;

// The lists of each channel in DoseList order.
constexpr QComboBox* F::*kLists[kDoseChannels][9] = {
    {&F::Meter1EnCbx, &F::Meter1StandCbx, &F::Meter1TimeweightedCbx, &F::Meter1TCbx, &F::Meter1QCbx,
     &F::Meter1ERCbx, &F::Meter1ExceeCbx, &F::Meter1HrCbx, &F::Meter1MinCbx},
    {&F::Meter2EnCbx, &F::Meter2StandCbx, &F::Meter2TimeweightedCbx, &F::Meter2TCbx, &F::Meter2QCbx,
     &F::Meter2ERCbx, &F::Meter2ExceeCbx, &F::Meter2HrCbx, &F::Meter2MinCbx},
    {&F::Meter3EnCbx, &F::Meter3StandCbx, &F::Meter3TimeweightedCbx, &F::Meter3TCbx, &F::Meter3QCbx,
     &F::Meter3ERCbx, &F::Meter3ExceeCbx, &F::Meter3HrCbx, &F::Meter3MinCbx},
};
const char* const kListNames[9] = {"EnCbx", "StandCbx", "TimeweightedCbx", "TCbx",  "QCbx",
                                   "ERCbx", "ExceeCbx", "HrCbx",           "MinCbx"};

// Places inside the panel, in twips: the rows' tops, the columns' lefts.
constexpr int kRowTop[8] = {840, 1320, 1800, 2280, 2760, 3240, 3720, 4200};
constexpr int kColumnLeft[kDoseChannels] = {2040, 3840, 5640};
constexpr int kListWidth = 1575, kListHeight = 315, kPwWidth = 735, kMinuteOffset = 840;
constexpr int kPanelWidth = 7455, kPanelHeight = 4695;
// The grid lines run halfway between the rows of lists (480 apart, lists
// 315 high) and between the columns (the labels and buttons end at 1935;
// the columns are 1575 wide, 225 apart).
constexpr int kRowGap = 480 - kListHeight;
constexpr int kLabelColumnEnd = 1935;
constexpr int kLineThickness = 30;

constexpr DoseList kAll[9] = {DoseList::Enable,     DoseList::Standard,  DoseList::TimeWeighting,
                              DoseList::Threshold,  DoseList::Criterion, DoseList::ExchangeRate,
                              DoseList::Exceedance, DoseList::Hour,      DoseList::Minute};

bool isValueList(DoseList l) {
  return l != DoseList::Enable && l != DoseList::Standard;
}

}  // namespace

KalvoxFrm::KalvoxFrm() : SettingWindow(&State().flags.KalvoxFrmOpen, 7920, 5580) {
  setObjectName(QStringLiteral("KalvoxFrm"));
  QFrame* p = makePanel("SSPanel1", kPanelWidth, kPanelHeight);
  KalvoxSetBtn = makeButton(p, QStringLiteral("KalvoxSetBtn"), 0, 0, 1935, 375);
  ExitBtn = makeButton(p, QStringLiteral("ExitBtn"), 0, 360, 1935, 375);
  connect(KalvoxSetBtn, &QPushButton::clicked, this, &KalvoxFrm::KalvoxSetBtn_Click);
  connect(ExitBtn, &QPushButton::clicked, this, &SettingWindow::ExitBtn_Click);
  Meter1Lbl = makeLabel(p, QStringLiteral("Meter1Lbl"), 2400, 240);
  Meter2Lbl = makeLabel(p, QStringLiteral("Meter2Lbl"), 4200, 240);
  Meter3Lbl = makeLabel(p, QStringLiteral("Meter3Lbl"), 6000, 240);
  EnabledLbl = makeLabel(p, QStringLiteral("EnabledLbl"), 840, 840);
  StandardLbl = makeLabel(p, QStringLiteral("StandardLbl"), 840, 1320);
  TimeweightedLbl = makeLabel(p, QStringLiteral("TimeweightedLbl"), 210, 1800);
  ThresholdLbl = makeLabel(p, QStringLiteral("ThresholdLbl"), 720, 2280);
  CriterionLbl = makeLabel(p, QStringLiteral("CriterionLbl"), 960, 2760);
  ExchangerateLbl = makeLabel(p, QStringLiteral("ExchangerateLbl"), 240, 3240);
  ExceedanceLbl = makeLabel(p, QStringLiteral("ExceedanceLbl"), 480, 3720);
  PWDurationLbl = makeLabel(p, QStringLiteral("PWDurationLbl"), 480, 4200);

  for (int ch = 0; ch < kDoseChannels; ++ch) {
    for (int i = 0; i < 9; ++i) {
      const DoseList l = kAll[i];
      const int row = i < 8 ? i : 7;  // hours and minutes share the PW row
      int left = kColumnLeft[ch], width = kListWidth;
      if (l == DoseList::Hour || l == DoseList::Minute) width = kPwWidth;
      if (l == DoseList::Minute) left += kMinuteOffset;
      const QString name = QStringLiteral("Meter%1%2").arg(ch + 1).arg(QLatin1String(kListNames[i]));
      QComboBox* c = makePickList(p, name, left, kRowTop[row], width, kListHeight);
      this->*(kLists[ch][i]) = c;
      lists_[static_cast<std::size_t>(ch)][static_cast<std::size_t>(i)] = c;
      QStringList items;
      for (const std::string& s : doseListItems(l, State().texts)) items << q(s);
      fillList(c, items);
      setListHandler(c, [this, ch, l] { list_Click(ch, l); });
    }
  }
  makeGridLines(p);
  // D1 is always on: its enable list is greyed for good and never read.
  Meter1EnCbx->setEnabled(false);
  ApplyKalvoxFrmText(*this);
  maximise();
  showModel();
}

void KalvoxFrm::makeGridLines(QFrame* panel) {
  const auto line = [&](const QString& name, QFrame::Shape shape, int left, int top, int width, int height) {
    auto* l = new QFrame(panel);
    l->setObjectName(name);
    l->setFrameShape(shape);
    l->setFrameShadow(QFrame::Sunken);
    placeTw(l, left, top, width, height);
    l->lower();  // beneath the lists and labels
    return l;
  };
  // Above each row of lists, the full width of the panel.
  for (std::size_t i = 0; i < Line1.size(); ++i)
    Line1[i] = line(QStringLiteral("Line1_%1").arg(i), QFrame::HLine, 0,
                    kRowTop[i] - (kRowGap + kLineThickness) / 2, kPanelWidth, kLineThickness);
  // Before each channel column, the full height of the panel.
  for (std::size_t i = 0; i < Line2.size(); ++i) {
    const int previousEnd = i == 0 ? kLabelColumnEnd : kColumnLeft[i - 1] + kListWidth;
    Line2[i] = line(QStringLiteral("Line2_%1").arg(i), QFrame::VLine,
                    (previousEnd + kColumnLeft[i] - kLineThickness) / 2, 0, kLineThickness, kPanelHeight);
  }
}

QComboBox* KalvoxFrm::list(int channel, DoseList l) const {
  return lists_[static_cast<std::size_t>(channel)][static_cast<std::size_t>(l)];
}

void KalvoxFrm::list_Click(int channel, DoseList l) {
  model_.set(channel, l, listPosition(list(channel, l)));
  showModel();
}

void KalvoxFrm::showDoseChannels(const std::array<DoseChannelReadback, 3>& channels) {
  model_.apply(channels);
  showModel();
}

void KalvoxFrm::showModel() {
  for (int ch = 0; ch < kDoseChannels; ++ch) {
    const DoseChannel& c = model_.channel(ch);
    for (DoseList l : kAll) {
      QComboBox* box = list(ch, l);
      if (box->currentIndex() != c.position(l)) box->setCurrentIndex(c.position(l));
      if (isValueList(l)) box->setEnabled(!c.locked);
      if (l != DoseList::Enable) box->setVisible(c.shown);
    }
  }
}

void KalvoxFrm::KalvoxSetBtn_Click() {
  const SetOutcome<DoseSetting> set = doseSet(model_, State().texts, erasePending());
  if (!set.record) {
    MsgBox::show(q(set.refusal), MsgIcon::Critical);
    return;
  }
  // Stored whole, and only once every check passed: the meter's resend
  // request sends this record again.
  State().records.DoseRecord = *set.record;
  writeSetting(EraseRule::Ignore, ResumeRule::AfterSend,
               [&] { return CmdWriteDoseSettings(State().line(), State().records.DoseRecord); });
}

void ApplyKalvoxFrmText(KalvoxFrm& f) {
  const UiText& t = State().texts;
  f.setWindowTitle(q(t.TxtKalvox));
  f.KalvoxSetBtn->setText(q(t.TxtSet));
  f.ExitBtn->setText(q(t.TxtExit));
  const std::pair<QLabel*, const std::string*> labels[] = {
      {f.Meter1Lbl, &t.TxtMeter1},
      {f.Meter2Lbl, &t.TxtMeter2},
      {f.Meter3Lbl, &t.TxtMeter3},
      {f.EnabledLbl, &t.TxtEnabled},
      {f.StandardLbl, &t.TxtStandard},
      {f.TimeweightedLbl, &t.TxtTimeWeighted},
      {f.ThresholdLbl, &t.TxtThreshold},
      {f.CriterionLbl, &t.TxtCriterion},
      {f.ExchangerateLbl, &t.TxtExchangeRate},
      {f.ExceedanceLbl, &t.TxtExceedance},
      {f.PWDurationLbl, &t.TxtPWDuration},
  };
  for (const auto& [label, text] : labels) {
    setLabelText(label, q(*text));
    // A row's name longer than the design's (a translation) moves left so
    // it ends inside the label column, not under the first channel's list.
    const int end = pxX(kLabelColumnEnd - 60);
    if (label->x() < end && label->geometry().right() >= end)
      label->move(std::max(0, end - label->width()), label->y());
  }
}

}  // namespace vkz
