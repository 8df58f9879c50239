#include "settings/win/screenfrm.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "link/frames.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "ui/listpos.h"
#include "ui/qtext.h"

namespace vkz {

namespace {

QStringList toList(const std::vector<std::string>& items) {
  QStringList out;
  for (const std::string& s : items) out << q(s);
  return out;
}

void showPosition(QComboBox* c, int pos) {
  if (c->currentIndex() != pos) c->setCurrentIndex(pos);
}

// The quantity lists' width: up to their right-hand neighbours.
constexpr int kQuantityListWidth = 1500;

}  // namespace

ScreenFrm::ScreenFrm() : SettingWindow(&State().flags.ScreenFrmOpen, 7965, 7095) {
  setObjectName(QStringLiteral("ScreenFrm"));
  maximise();
  QFrame* p = makePanel("SSPanel1", 7575, 6375);
  MeterLbl = makeLabel(p, QStringLiteral("MeterLbl"), 2040, 360);
  UpPageLbl = makeLabel(p, QStringLiteral("UpPageLbl"), 3720, 360);
  DownPageLbl = makeLabel(p, QStringLiteral("DownPageLbl"), 5160, 360);
  const QStringList channels = toList(screenChannelItems(State().texts));
  const QStringList quantities = toList(screenQuantityItems(State().texts));
  for (int i = 0; i < kScreenPages; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const int top = 720 + 480 * i;
    PageLbl[k] = makeLabel(p, QStringLiteral("PageLbl_%1").arg(i), i < 7 ? 600 : 480, top);
    KalvoxCbx[k] = makePickList(p, QStringLiteral("KalvoxCbx_%1").arg(i), 1680, top, 1335, 315);
    // The quantity lists take the room up to their right-hand neighbours,
    // so the longest quantity names stand whole in their boxes.
    UpPageCbx[k] = makePickList(p, QStringLiteral("UpPageCbx_%1").arg(i), 3240, top, kQuantityListWidth, 315);
    DownPageCbx[k] =
        makePickList(p, QStringLiteral("DownPageCbx_%1").arg(i), 4800, top, kQuantityListWidth, 315);
    fillList(KalvoxCbx[k], channels);
    fillList(UpPageCbx[k], quantities);
    fillList(DownPageCbx[k], quantities);
    setListHandler(KalvoxCbx[k], [this, i] { KalvoxCbx_Click(i); });
    setListHandler(UpPageCbx[k], [this, i] { UpPageCbx_Click(i); });
    setListHandler(DownPageCbx[k], [this, i] { DownPageCbx_Click(i); });
  }
  ScreenSetBtn = makeButton(p, QStringLiteral("ScreenSetBtn"), 6360, 4440, 1095, 855);
  ExitBtn = makeButton(p, QStringLiteral("ExitBtn"), 6360, 5400, 1095, 855);
  connect(ScreenSetBtn, &QPushButton::clicked, this, &ScreenFrm::ScreenSetBtn_Click);
  connect(ExitBtn, &QPushButton::clicked, this, &SettingWindow::ExitBtn_Click);
  ApplyScreenFrmText(*this);
  // Every page on "Kalvox 1" with "SystemTime" on both lines.
  for (int i = 0; i < kScreenPages; ++i) showPage(i);
}

void ScreenFrm::KalvoxCbx_Click(int index) {
  model_.setChannel(index, listPosition(KalvoxCbx[static_cast<std::size_t>(index)]));
  showPage(index);
}

void ScreenFrm::UpPageCbx_Click(int index) {
  model_.setUpper(index, listPosition(UpPageCbx[static_cast<std::size_t>(index)]));
  showPage(index);
}

void ScreenFrm::DownPageCbx_Click(int index) {
  model_.setLower(index, listPosition(DownPageCbx[static_cast<std::size_t>(index)]));
  showPage(index);
}

void ScreenFrm::showScreens(const ScreenReadback& screens) {
  model_.apply(screens);
  for (int i = 0; i < kScreenPages; ++i) showPage(i);
}

void ScreenFrm::showPage(int i) {
  const auto k = static_cast<std::size_t>(i);
  const ScreenPage& page = model_.page(i);
  showPosition(KalvoxCbx[k], page.channel);
  showPosition(UpPageCbx[k], page.upper);
  showPosition(DownPageCbx[k], page.lower);
}

void ScreenFrm::ScreenSetBtn_Click() {
  writeSetting(EraseRule::Refuse, ResumeRule::AfterSend, [&] {
    State().records.ScreenRecord = model_.record();
    return CmdWriteScreens(State().line(), State().records.ScreenRecord);
  });
}

void ApplyScreenFrmText(ScreenFrm& f) {
  const UiText& t = State().texts;
  f.setWindowTitle(q(t.TxtScreen));
  setLabelText(f.MeterLbl, q(t.TxtMeter));
  setLabelText(f.UpPageLbl, q(t.TxtUp));
  setLabelText(f.DownPageLbl, q(t.TxtDown));
  const std::string* pages[kScreenPages] = {&t.TxtPage3,  &t.TxtPage4,  &t.TxtPage5,  &t.TxtPage6,
                                            &t.TxtPage7,  &t.TxtPage8,  &t.TxtPage9,  &t.TxtPage10,
                                            &t.TxtPage11, &t.TxtPage12, &t.TxtPage13, &t.TxtPage14};
  for (int i = 0; i < kScreenPages; ++i) setLabelText(f.PageLbl[static_cast<std::size_t>(i)], q(*pages[i]));
  f.ScreenSetBtn->setText(q(t.TxtSet));
  f.ExitBtn->setText(q(t.TxtExit));
}

}  // namespace vkz
