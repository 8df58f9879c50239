// The dose-channel window: its state after loading, the table of standards
// locking and freeing the value lists, the enable and hour-24 rules, the
// Set's checks in their order with their messages, the record it packs, and
// the meter's reply setting every list.
#include <QComboBox>
#include <QFrame>
#include <algorithm>
#include <functional>

#include "link/frames.h"
#include "polling/readbacks.h"
#include "settings/win/kalvoxfrm.h"
#include "support/common/meter_erase.h"
#include "ui/listpos.h"
#include "windows/settings/settings_env.h"

namespace vkz {
namespace {

using L = DoseList;

class KalvoxTest : public SettingsTest {
 protected:
  // The window as the meter's reply leaves it: D1 on "OSHA - 80", D2 off on
  // "OSHA - 80", D3 off on "ISO - 85", each with its table values and 08:00.
  KalvoxFrm* load() {
    FormRegistry::unload<KalvoxFrm>();
    test::settleEvents();
    KalvoxFrm* f = FormRegistry::get<KalvoxFrm>();
    const std::uint8_t reply[26] = {0x00, 0x00, 0x50, 0x5A, 0x05, 0x69, 0x01, 0xE0, 0x00,
                                    0x00, 0x00, 0x50, 0x5A, 0x05, 0x69, 0x01, 0xE0, 0x00,
                                    0x06, 0x01, 0x46, 0x55, 0x03, 0x69, 0x01, 0xE0};
    f->showDoseChannels(*decodeDoseChannels(Payload(reply, sizeof reply)));
    return f;
  }
  // A pick: the list's position and its handler.
  static void pick(KalvoxFrm* f, int ch, L l, int pos) {
    ASSERT_EQ(setListPosition(f->list(ch, l), pos), ListStatus::Ok);
  }
  static QString shown(KalvoxFrm* f, int ch, L l) { return f->list(ch, l)->currentText(); }
  // The seven value lists' texts, "SLOW 80 85 4 105 08:00".
  static QString values(KalvoxFrm* f, int ch) {
    return QStringList{shown(f, ch, L::TimeWeighting), shown(f, ch, L::Threshold), shown(f, ch, L::Criterion),
                       shown(f, ch, L::ExchangeRate), shown(f, ch, L::Exceedance)}
               .join(' ') +
           ' ' + shown(f, ch, L::Hour) + ':' + shown(f, ch, L::Minute);
  }
  static bool locked(KalvoxFrm* f, int ch) {
    for (L l :
         {L::TimeWeighting, L::Threshold, L::Criterion, L::ExchangeRate, L::Exceedance, L::Hour, L::Minute})
      if (f->list(ch, l)->isEnabled()) return false;
    return true;
  }
};

TEST_F(KalvoxTest, LoadsWithD1LockedAndD2D3Hidden) {
  KalvoxFrm* f = FormRegistry::get<KalvoxFrm>();
  EXPECT_EQ(State().flags.KalvoxFrmOpen, -1);
  EXPECT_EQ(f->windowTitle(), QStringLiteral("Kalvox"));
  const int counts[9] = {2, 19, 3, 21, 21, 4, 15, 25, 12};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(f->list(2, static_cast<L>(i))->count(), counts[i]);
  EXPECT_EQ(texts(f->Meter1StandCbx).first(), QStringLiteral("OSHA - 80"));
  EXPECT_EQ(texts(f->Meter1StandCbx).last(), QStringLiteral("USER9"));
  EXPECT_EQ(texts(f->Meter1ExceeCbx).last(), QStringLiteral("140"));
  EXPECT_EQ(texts(f->Meter1MinCbx).last(), QStringLiteral("55"));

  EXPECT_EQ(shown(f, 0, L::Standard), QStringLiteral("OSHA - 80"));
  EXPECT_EQ(values(f, 0), QStringLiteral("SLOW 80 90 5 105 08:00"));
  EXPECT_TRUE(locked(f, 0));
  EXPECT_FALSE(f->Meter1EnCbx->isEnabled());
  EXPECT_EQ(f->Meter1EnCbx->currentText(), QStringLiteral("Disabled"));
  for (int ch : {1, 2}) {
    EXPECT_EQ(shown(f, ch, L::Enable), QStringLiteral("Disabled"));
    EXPECT_TRUE(f->list(ch, L::Enable)->isVisibleTo(f));
    for (int i = 1; i < 9; ++i) EXPECT_FALSE(f->list(ch, static_cast<L>(i))->isVisibleTo(f)) << ch << i;
  }
}

// The grid lines run between the rows and between the columns: none cuts
// through a list, a label or a button, with every channel shown.
TEST_F(KalvoxTest, GridLinesSeparateRowsAndColumns) {
  KalvoxFrm* f = load();
  pick(f, 1, L::Enable, 1);
  pick(f, 2, L::Enable, 1);
  std::vector<QFrame*> lines(f->Line1.begin(), f->Line1.end());
  lines.insert(lines.end(), f->Line2.begin(), f->Line2.end());
  for (std::size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(lines[i]->frameShape(), i < 8 ? QFrame::HLine : QFrame::VLine) << i;
  // Line1 in order down the panel, each between two rows of lists.
  for (int i = 0; i < 8; ++i) {
    const QRect line = f->Line1[static_cast<std::size_t>(i)]->geometry();
    EXPECT_LT(line.bottom(), f->list(0, static_cast<L>(i))->geometry().top()) << i;
    if (i > 0) {
      EXPECT_GT(line.top(), f->list(0, static_cast<L>(i - 1))->geometry().bottom()) << i;
    }
  }
  for (QWidget* w : f->centredPanel()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (std::find(lines.begin(), lines.end(), w) != lines.end()) continue;
    for (QFrame* line : lines)
      EXPECT_FALSE(line->geometry().intersects(w->geometry()))
          << line->objectName().toStdString() << " crosses " << w->objectName().toStdString();
  }
}

TEST_F(KalvoxTest, StandardsEnableAndHour24) {
  KalvoxFrm* f = FormRegistry::get<KalvoxFrm>();
  pick(f, 1, L::Enable, 1);
  EXPECT_TRUE(f->Meter2StandCbx->isVisibleTo(f));
  pick(f, 1, L::Standard, 4);  // DOD
  EXPECT_EQ(values(f, 1), QStringLiteral("SLOW 80 85 4 105 08:00"));
  EXPECT_TRUE(locked(f, 1));
  pick(f, 1, L::Standard, 12);  // USER3 frees the values as they stand
  EXPECT_EQ(values(f, 1), QStringLiteral("SLOW 80 85 4 105 08:00"));
  EXPECT_TRUE(f->Meter2TCbx->isEnabled() && f->Meter2MinCbx->isEnabled());
  pick(f, 1, L::Standard, 8);  // NR - 15
  EXPECT_EQ(shown(f, 1, L::Exceedance), QStringLiteral("115"));
  pick(f, 1, L::Standard, 9);  // NHO - 11
  EXPECT_EQ(values(f, 1), QStringLiteral("SLOW 80 85 3 115 08:00"));

  pick(f, 1, L::Standard, 10);  // USER1: hour 24 puts the minutes to 00
  pick(f, 1, L::Minute, 6);
  pick(f, 1, L::Hour, 24);
  EXPECT_EQ(shown(f, 1, L::Minute), QStringLiteral("00"));
  pick(f, 1, L::Minute, 9);  // "45" while the hour is 24
  EXPECT_EQ(shown(f, 1, L::Minute), QStringLiteral("00"));

  // D3: off hides its eight lists and keeps their positions; on again
  // applies its fixed standard over what it held.
  pick(f, 2, L::Enable, 1);
  pick(f, 2, L::Standard, 10);
  pick(f, 2, L::Threshold, 3);
  pick(f, 2, L::Enable, 0);
  EXPECT_FALSE(f->Meter3TCbx->isVisibleTo(f));
  EXPECT_EQ(shown(f, 2, L::Threshold), QStringLiteral("73"));
  f->Meter3StandCbx->setCurrentIndex(6);  // ISO - 85 while hidden, without its handler
  pick(f, 2, L::Enable, 1);
  EXPECT_TRUE(f->Meter3TCbx->isVisibleTo(f));
}

struct SetCase {
  const char* what;
  std::function<void(KalvoxFrm*)> choose;
  const char* message;  // "" when the Set passes
};

TEST_F(KalvoxTest, SetChecksInTheirOrder) {
  auto pw = [](KalvoxFrm* f, int ch, int hour, int minutePos) {
    pick(f, ch, L::Standard, 10 + ch);  // a user standard frees the PW lists
    pick(f, ch, L::Hour, hour);
    pick(f, ch, L::Minute, minutePos);
  };
  const SetCase cases[] = {
      {"erase pending", [](KalvoxFrm*) { test::startErase(); }, "Memory Erasing ..."},
      {"D2 on with D1's standard", [](KalvoxFrm* f) { pick(f, 1, L::Enable, 1); },
       "Set Error : D1 Standard = D2Standard !!!"},
      {"D2 off with D1's standard", [](KalvoxFrm*) {}, ""},
      {"USER2 on D1, D2 off, D3 on",
       [](KalvoxFrm* f) {
         for (int ch : {0, 1, 2}) pick(f, ch, L::Standard, 11);
         pick(f, 2, L::Enable, 1);
       },
       "Set Error : D1 Standard = D3Standard !!!"},
      {"D1 criterion below threshold",
       [](KalvoxFrm* f) {
         pick(f, 0, L::Standard, 10);
         pick(f, 0, L::Threshold, 15);
         pick(f, 0, L::Criterion, 14);
       },
       "Error Meter 1 Criterion < Threshold !!!"},
      {"D1 criterion equal to threshold",
       [](KalvoxFrm* f) {
         pick(f, 0, L::Standard, 10);
         pick(f, 0, L::Threshold, 15);
         pick(f, 0, L::Criterion, 15);
       },
       ""},
      {"D2 off, criterion below threshold",
       [](KalvoxFrm* f) {
         pick(f, 1, L::Standard, 1);  // OSHA - 90 on an off channel: 90 / 90
         pick(f, 1, L::Standard, 11);
         pick(f, 1, L::Criterion, 14);
       },
       "Error Meter 2 Criterion < Threshold !!!"},
      {"D3 off, criterion 85 threshold 90",
       [](KalvoxFrm* f) {
         pick(f, 2, L::Standard, 12);
         pick(f, 2, L::Threshold, 20);
         pick(f, 2, L::Criterion, 15);
       },
       "Error Meter 3 Criterion < Threshold !!!"},
      {"D2 and D3 on with one standard",
       [](KalvoxFrm* f) {
         pick(f, 1, L::Enable, 1);
         pick(f, 2, L::Enable, 1);
         pick(f, 1, L::Standard, 4);
         pick(f, 2, L::Standard, 4);
       },
       "Set Error : D2 Standard = D3 Standard"},
      {"D1 00:05", [&](KalvoxFrm* f) { pw(f, 0, 0, 1); }, "Set Error : D1 PWDuration <10 Min"},
      {"D2 off 00:05", [&](KalvoxFrm* f) { pw(f, 1, 0, 1); }, "Set Error : D2 PWDuration <10 Min"},
      {"D2 off 00:10", [&](KalvoxFrm* f) { pw(f, 1, 0, 2); }, ""},
      {"D3 off 00:00", [&](KalvoxFrm* f) { pw(f, 2, 0, 0); }, "Set Error : D3 PWDuration <10 Min"},
      {"several broken: the first only",
       [&](KalvoxFrm* f) {
         pw(f, 2, 0, 0);
         pick(f, 1, L::Standard, 0);
         pick(f, 1, L::Enable, 1);
       },
       "Set Error : D1 Standard = D2Standard !!!"},
      {"a list without an item", [](KalvoxFrm* f) { pick(f, 2, L::Exceedance, -1); }, "Set Error !!!"},
  };
  for (const SetCase& c : cases) {
    reset();
    KalvoxFrm* f = load();
    c.choose(f);
    f->KalvoxSetBtn->click();
    const QString want = QString::fromLatin1(c.message);
    EXPECT_EQ(messages(), want.isEmpty() ? QStringList() : QStringList{want}) << c.what;
    if (!want.isEmpty()) {
      EXPECT_EQ(MsgBox::shown()[0].icon, MsgIcon::Critical) << c.what;
    }
    // Only a Set that passes stores the record; polling runs afterwards.
    EXPECT_EQ(State().records.DoseRecord.Meter1T != 0, want.isEmpty()) << c.what;
    EXPECT_TRUE(State().poll.running()) << c.what;
  }
}

TEST_F(KalvoxTest, SetPacksTheShownValues) {
  KalvoxFrm* f = load();
  pick(f, 1, L::Enable, 1);
  pick(f, 1, L::Standard, 4);  // DOD
  pick(f, 2, L::Standard, 6);  // ISO - 85, D3 off
  f->KalvoxSetBtn->click();
  ASSERT_TRUE(messages().isEmpty());
  auto frame = [] { return BuildRequest(0x84, *PackDoseSetting(State().records.DoseRecord), 0x1B); };
  EXPECT_EQ(frame(), (Frame{0x02, 0x00, 0x1B, 0x84, 0x00, 0x00, 0x50, 0x5A, 0x05, 0x69, 0x01,
                            0xE0, 0x01, 0x04, 0x00, 0x50, 0x55, 0x04, 0x69, 0x01, 0xE0, 0x00,
                            0x06, 0x01, 0x46, 0x55, 0x03, 0x69, 0x01, 0xE0, 0x0B}));
  pick(f, 0, L::Standard, 10);
  pick(f, 0, L::Hour, 24);
  f->KalvoxSetBtn->click();
  EXPECT_EQ(State().records.DoseRecord.Meter1PW, 1440);  // 05 A0 on the line
  EXPECT_EQ(frame()[10], 0x05);
  EXPECT_EQ(frame()[11], 0xA0);
}

TEST_F(KalvoxTest, MeterReplySetsEveryListInOrder) {
  // D1 OSHA - 90 with threshold 80 (not the standard's 90), D2 on with DOD,
  // D3 on USER1 with exceedance 69, PW 605 minutes.
  const std::vector<std::uint8_t> reply{0x01, 0x00, 0x50, 0x5A, 0x05, 0x69, 0x01, 0xE0, 0x01,
                                        0x04, 0x00, 0x50, 0x55, 0x04, 0x69, 0x05, 0xA0, 0x01,
                                        0x0A, 0x02, 0x46, 0x55, 0x03, 0x45, 0x02, 0x5D};
  ASSERT_FALSE(FormRegistry::loaded<KalvoxFrm>());
  DoseView* v = State().poll.windows.readbacks.dose();  // loads the window, hidden
  KalvoxFrm* f = FormRegistry::find<KalvoxFrm>();
  ASSERT_TRUE(f);
  EXPECT_FALSE(f->isVisible());
  v->showDoseChannels(*decodeDoseChannels(Payload(reply.data(), reply.size())));
  EXPECT_EQ(f->Meter1EnCbx->currentText(), QStringLiteral("Enabled"));
  EXPECT_EQ(shown(f, 0, L::Standard), QStringLiteral("OSHA - 90"));
  EXPECT_EQ(values(f, 0), QStringLiteral("SLOW 80 90 5 105 08:00"));
  EXPECT_EQ(values(f, 1), QStringLiteral("SLOW 80 85 4 105 24:00"));
  EXPECT_EQ(shown(f, 2, L::Standard), QStringLiteral("USER1"));
  EXPECT_TRUE(f->Meter3TCbx->isVisibleTo(f));
  EXPECT_EQ(values(f, 2), QStringLiteral("IMPULSE 70 85 3 70 10:05"));

  // Exceedance 65 has no item: the list is cleared, as the old list box
  // was; a standard index beyond the table leaves its list alone.
  std::vector<std::uint8_t> odd = reply;
  odd[23] = 65;
  odd[9] = 40;
  v->showDoseChannels(*decodeDoseChannels(Payload(odd.data(), odd.size())));
  EXPECT_EQ(f->Meter3ExceeCbx->currentIndex(), -1);
  EXPECT_EQ(shown(f, 1, L::Standard), QStringLiteral("DOD"));
}

}  // namespace
}  // namespace vkz
