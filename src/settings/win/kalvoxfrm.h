// KalvoxFrm: the dose-channel window. The three dose channels D1, D2, D3
// (the columns "Meter1" to "Meter3"), each with nine drop-down lists:
// enable, standard, time weighting, threshold, criterion, exchange rate,
// exceedance level and the PW duration in hours and minutes. Nothing is
// typed, every value is picked.
//
// The window mirrors the dose model (settings/dose.h): a pick, or the
// meter's reply, sets one list in the model, which runs the list's rule (a
// fixed standard fills and greys the seven value lists, a user standard
// frees them, D2's or D3's enable hides or shows the channel, hour 24 puts
// the minutes to 00); the window then shows the model's positions, greying
// and hiding. Set checks the choice in its order, packs the 26-byte dose
// record and writes it (0x84).
#pragma once
#include <array>

#include "polling/readbackviews.h"
#include "settings/dose.h"
#include "settings/win/settingwindow.h"

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace vkz {

class KalvoxFrm : public SettingWindow, public DoseView {
  Q_OBJECT
 public:
  KalvoxFrm();  // Form_Load

  // Checks, packs DoseRecord and writes it; each refusal with its message.
  void KalvoxSetBtn_Click();
  // A list's selection handler (a pick, or code setting its position).
  void list_Click(int channel, DoseList list);

  // DoseView: the meter's reply 0x04.
  void showDoseChannels(const std::array<DoseChannelReadback, 3>& channels) override;

  const DoseModel& model() const { return model_; }
  // The list of `channel` (0..2).
  QComboBox* list(int channel, DoseList list) const;

  QPushButton* KalvoxSetBtn = nullptr;
  QPushButton* ExitBtn = nullptr;
  QLabel *Meter1Lbl = nullptr, *Meter2Lbl = nullptr, *Meter3Lbl = nullptr;
  QLabel *EnabledLbl = nullptr, *StandardLbl = nullptr, *TimeweightedLbl = nullptr, *ThresholdLbl = nullptr,
         *CriterionLbl = nullptr, *ExchangerateLbl = nullptr, *ExceedanceLbl = nullptr,
         *PWDurationLbl = nullptr;
  QComboBox *Meter1EnCbx = nullptr, *Meter1StandCbx = nullptr, *Meter1TimeweightedCbx = nullptr,
            *Meter1TCbx = nullptr, *Meter1QCbx = nullptr, *Meter1ERCbx = nullptr, *Meter1ExceeCbx = nullptr,
            *Meter1HrCbx = nullptr, *Meter1MinCbx = nullptr;
  QComboBox *Meter2EnCbx = nullptr, *Meter2StandCbx = nullptr, *Meter2TimeweightedCbx = nullptr,
            *Meter2TCbx = nullptr, *Meter2QCbx = nullptr, *Meter2ERCbx = nullptr, *Meter2ExceeCbx = nullptr,
            *Meter2HrCbx = nullptr, *Meter2MinCbx = nullptr;
  QComboBox *Meter3EnCbx = nullptr, *Meter3StandCbx = nullptr, *Meter3TimeweightedCbx = nullptr,
            *Meter3TCbx = nullptr, *Meter3QCbx = nullptr, *Meter3ERCbx = nullptr, *Meter3ExceeCbx = nullptr,
            *Meter3HrCbx = nullptr, *Meter3MinCbx = nullptr;
  // The grid: Line1 separates the nine rows (headings, then the eight rows
  // of lists), Line2 the row labels and the three channel columns.
  std::array<QFrame*, 8> Line1{};
  std::array<QFrame*, 3> Line2{};

 private:
  void makeGridLines(QFrame* panel);
  // Shows the model: every position, the greyed value lists, the hidden
  // channels. Runs no handler.
  void showModel();

  DoseModel model_;
  std::array<std::array<QComboBox*, 9>, kDoseChannels> lists_{};
};

void ApplyKalvoxFrmText(KalvoxFrm& f);

}  // namespace vkz
