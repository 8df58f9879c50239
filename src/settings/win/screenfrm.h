// ScreenFrm: the screen-page window. The meter's configurable pages 3 to
// 14, one row each: the dose channel the page shows, and the quantity on
// its upper and on its lower line, picked from the 107 screen quantities.
//
// The window mirrors the screen-page model (settings/screens.h): a pick, or
// the meter's reply, sets one list in the model, which runs the line rules
// (the two lines of a page are never both OFF, and a maximum or minimum
// stands alone with OFF on the other line); the window then shows the
// model's positions. Set packs the 36-byte screen record and writes it
// (0x85).
#pragma once
#include <array>

#include "polling/readbackviews.h"
#include "settings/screens.h"
#include "settings/win/settingwindow.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace vkz {

class ScreenFrm : public SettingWindow, public ScreenView {
  Q_OBJECT
 public:
  ScreenFrm();  // Form_Load

  // Packs ScreenRecord from the lists and writes it; refused while an erase
  // of the meter's memory is pending.
  void ScreenSetBtn_Click();
  // The lists' selection handlers (a pick, or code setting a position).
  void KalvoxCbx_Click(int index);
  void UpPageCbx_Click(int index);
  void DownPageCbx_Click(int index);

  // ScreenView: the meter's reply 0x05.
  void showScreens(const ScreenReadback& screens) override;

  const ScreenPagesModel& model() const { return model_; }

  QLabel* MeterLbl = nullptr;
  QLabel* UpPageLbl = nullptr;
  QLabel* DownPageLbl = nullptr;
  std::array<QLabel*, kScreenPages> PageLbl{};
  std::array<QComboBox*, kScreenPages> KalvoxCbx{};
  std::array<QComboBox*, kScreenPages> UpPageCbx{};
  std::array<QComboBox*, kScreenPages> DownPageCbx{};
  QPushButton* ScreenSetBtn = nullptr;
  QPushButton* ExitBtn = nullptr;

 private:
  // Shows page `i` of the model in its three lists; runs no handler.
  void showPage(int i);

  ScreenPagesModel model_;
};

void ApplyScreenFrmText(ScreenFrm& f);

}  // namespace vkz
