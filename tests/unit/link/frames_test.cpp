// Every request frame, byte for byte, as it reaches the other end of the
// line, and the values the builders refuse.
#include "link/frames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "link/porttable.h"
#include "link/settingblocks.h"
#include "polling/pollstate.h"
#include "state/programstate.h"
#include "support/common/program_reset.h"
#include "unit/link/testpty.h"

using namespace vkz;
using vkztest::hexBytes;

namespace {

class RequestFrames : public ::testing::Test {
 protected:
  void SetUp() override {
    test::resetProgram();
    dir.use();
    ASSERT_TRUE(pty.ok());
    dir.link("COM1", pty.slave());
    ASSERT_EQ(OpenPort(State().line(), 1, kMeterLineSettings), -1);
    State().link.CurPort = 1;
    ASSERT_EQ(State().PortApi.IsOpen(1), -1);
  }
  void TearDown() override { test::resetProgram(); }
  vkztest::TempAppDir dir;
  vkztest::TestPty pty;
};

DoseSetting sampleDose() {
  DoseSetting d;
  d.Meter1Stand = 1, d.Meter1TW = 2, d.Meter1T = 85, d.Meter1Q = 90, d.Meter1ER = 3, d.Meter1Exceed = 115;
  d.Meter1PW = 480;
  d.Meter2En = 1, d.Meter2Stand = 5, d.Meter2TW = 0, d.Meter2T = 80, d.Meter2Q = 85, d.Meter2ER = 5;
  d.Meter2Exceed = 120, d.Meter2PW = 540;
  d.Meter3En = 0, d.Meter3Stand = 18, d.Meter3TW = 1, d.Meter3T = 70, d.Meter3Q = 75, d.Meter3ER = 6;
  d.Meter3Exceed = 140, d.Meter3PW = 0;
  return d;
}

ScreenBytes sampleScreens() {
  ScreenBytes s{};
  for (int k = 0; k < 12; ++k) {
    s[k] = k % 3;         // channel
    s[12 + k] = k + 1;    // upper line
    s[24 + k] = 100 + k;  // lower line
  }
  return s;
}

LedAlarmSetting sampleAlarm() {
  LedAlarmSetting a;
  a.AlarmEnable = 1;
  for (int q = 0; q < 12; ++q) {
    a.AlarmUpper[q] = 900 + q * 10;
    a.AlarmLower[q] = 500 + q;
  }
  a.AlarmUpper[11] = -7;  // element 11 is never sent, so it is not checked either
  return a;
}

TimerSetting sampleTimers() {
  TimerSetting t;
  t.TimerMode = 3, t.DelayYear = 2019, t.DelayMonth = 6, t.DelayDay = 15, t.DelayHour = 8, t.DelayMinute = 30;
  t.DelayDuration = 480, t.RepeatStartHour = 7, t.RepeatStartMinute = 45, t.RepeatDuration = 100000;
  t.RepeatCount = 12;
  for (int r = 0; r < 16; ++r) {
    t.PcStartHour[r] = r;
    t.PcStartMinute[r] = r * 3;
    t.PcDuration[r] = 60 * r + 5;
    t.PcEnable[r] = r % 2;
  }
  return t;
}

struct FrameCase {
  const char* name;
  std::function<PortResult(MeterLine)> send;
  const char* bytes;
};

TEST_F(RequestFrames, EveryCommandExactlyAsTheMeterTakesIt) {
  const MeterClock clock{2018, 5, 23, 10, 30, 0};
  const DoseSetting dose = sampleDose();
  const ScreenBytes screens = sampleScreens();
  const LedAlarmSetting alarm = sampleAlarm();
  const TimerSetting timers = sampleTimers();
  const LunchTimeBytes lunch{1, 12, 0, 0, 13, 0, 0};
  const std::vector<std::uint8_t> blanks(36, 0x20);
  const std::vector<std::uint8_t> name{'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K'};

  const FrameCase cases[] = {
      {"ReadModel", CmdReadModel, "02 00 01 00 01"},
      {"ReadLcdContrast", CmdReadLcdContrast, "02 00 01 01 00"},
      {"ReadClock", CmdReadClock, "02 00 01 02 03"},
      {"ReadLcdApo", CmdReadLcdApo, "02 00 01 03 02"},
      {"ReadDoseSettings", CmdReadDoseSettings, "02 00 01 04 05"},
      {"ReadScreens", CmdReadScreens, "02 00 01 05 04"},
      {"ReadPause", CmdReadPause, "02 00 01 06 07"},
      {"ReadLedAlarm", CmdReadLedAlarm, "02 00 01 07 06"},
      {"ReadKeypadLock", CmdReadKeypadLock, "02 00 01 08 09"},
      {"ReadAutoScroll", CmdReadAutoScroll, "02 00 01 09 08"},
      {"ReadTimers", CmdReadTimers, "02 00 01 0A 0B"},
      {"ClearMemory", CmdClearMemory, "02 00 01 0B 0A"},
      {"ReadMemoryListFirst", CmdReadMemoryListFirst, "02 00 01 0C 0D"},
      {"ReadMemoryListNext", CmdReadMemoryListNext, "02 00 01 0D 0C"},
      {"ReadRecordHeader 3", [](MeterLine l) { return CmdReadRecordHeader(l, 3); }, "02 00 02 0E 03 0F"},
      {"ReadRecordHeader 255.4", [](MeterLine l) { return CmdReadRecordHeader(l, 255.4); },
       "02 00 02 0E FF F3"},
      {"ReadMemorySize", CmdReadMemorySize, "02 00 01 0F 0E"},
      {"ReadWelcomeText", CmdReadWelcomeText, "02 00 01 10 11"},
      {"ReadMeterName", CmdReadMeterName, "02 00 01 11 10"},
      {"ReadDataBlock 0", [](MeterLine l) { return CmdReadDataBlock(l, 0); }, "02 00 03 12 00 00 11"},
      {"ReadDataBlock 300", [](MeterLine l) { return CmdReadDataBlock(l, 300); }, "02 00 03 12 01 2C 3C"},
      {"ReadDataBlock 65535", [](MeterLine l) { return CmdReadDataBlock(l, 65535); }, "02 00 03 12 FF FF 11"},
      {"ReadCalibration", CmdReadCalibration, "02 00 01 13 12 00 00"},
      {"ReadLunchTime", CmdReadLunchTime, "02 00 01 14 15 00 00"},
      {"ReadIntervalTime", CmdReadIntervalTime, "02 00 01 15 14 00 00"},
      {"WriteLcdContrast 20", [](MeterLine l) { return CmdWriteLcdContrast(l, 20); }, "02 00 02 81 14 97"},
      {"WriteLcdContrast 20.5 half to even", [](MeterLine l) { return CmdWriteLcdContrast(l, 20.5); },
       "02 00 02 81 14 97"},
      {"WriteLcdContrast 21.5 half to even", [](MeterLine l) { return CmdWriteLcdContrast(l, 21.5); },
       "02 00 02 81 16 95"},
      {"WriteClock", [&](MeterLine l) { return CmdWriteClock(l, clock); },
       "02 00 08 82 07 E2 05 17 0A 1E 00 69"},
      {"WriteLcdApo", [](MeterLine l) { return CmdWriteLcdApo(l, 5); }, "02 00 02 83 05 84"},
      {"WriteDoseSettings", [&](MeterLine l) { return CmdWriteDoseSettings(l, dose); },
       "02 00 1B 84 01 02 55 5A 03 73 01 E0 01 05 00 50 55 05 78 02 1C 00 12 01 46 4B 06 8C 00 00 F4"},
      {"WriteScreens", [&](MeterLine l) { return CmdWriteScreens(l, screens); },
       "02 00 25 85 00 01 64 01 02 65 02 03 66 00 04 67 01 05 68 02 06 69 00 07 6A 01 08 6B 02 09 6C 00 0A "
       "6D "
       "01 0B 6E 02 0C 6F AC"},
      {"WritePause", [](MeterLine l) { return CmdWritePause(l, 1); }, "02 00 02 86 01 85"},
      {"WriteLedAlarm", [&](MeterLine l) { return CmdWriteLedAlarm(l, alarm); },
       "02 00 2E 87 01 03 84 01 F4 03 8E 01 F5 03 98 01 F6 03 A2 01 F7 03 AC 01 F8 03 B6 01 F9 03 C0 01 FA "
       "03 "
       "CA 01 FB 03 D4 01 FC 03 DE 01 FD 03 E8 01 FE 97"},
      {"WriteKeypadLock", [](MeterLine l) { return CmdWriteKeypadLock(l, 1); }, "02 00 02 88 01 8B"},
      {"WriteAutoScroll", [](MeterLine l) { return CmdWriteAutoScroll(l, 0); }, "02 00 02 89 00 8B"},
      {"WriteTimers1", [&](MeterLine l) { return CmdWriteTimers1(l, timers); },
       "02 00 2F 8A 03 07 E3 06 0F 08 1E 00 00 01 E0 07 2D 00 01 86 A0 0C 00 00 00 00 00 05 00 01 03 00 00 "
       "00 "
       "41 01 02 06 00 00 00 7D 00 03 09 00 00 00 B9 01 31"},
      {"WriteTimers2", [&](MeterLine l) { return CmdWriteTimers2(l, timers); },
       "02 00 32 8B 04 0C 00 00 00 F5 00 05 0F 00 00 01 31 01 06 12 00 00 01 6D 00 07 15 00 00 01 A9 01 08 "
       "18 "
       "00 00 01 E5 00 09 1B 00 00 02 21 01 0A 1E 00 00 02 5D 00 33"},
      {"WriteTimers3", [&](MeterLine l) { return CmdWriteTimers3(l, timers); },
       "02 00 24 8C 0B 21 00 00 02 99 01 0C 24 00 00 02 D5 00 0D 27 00 00 03 11 01 0E 2A 00 00 03 4D 00 0F "
       "2D "
       "00 00 03 89 01 1D"},
      {"WriteWelcomeText", [&](MeterLine l) { return CmdWriteWelcomeText(l, blanks); },
       "02 00 26 8D 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 "
       "20 "
       "20 20 20 20 20 20 AB"},
      {"WriteMeterName", [&](MeterLine l) { return CmdWriteMeterName(l, name); },
       "02 00 0C 8E 41 42 43 44 45 46 47 48 49 4A 4B C2"},
      {"WriteCalibration 93.0", [](MeterLine l) { return CmdWriteCalibration(l, 930); },
       "02 00 03 8F 03 A2 2D"},
      {"WriteCalibration 93.1 from a level", [](MeterLine l) { return CmdWriteCalibration(l, 93.1 * 10); },
       "02 00 03 8F 03 A3 2C"},
      {"WriteCalibration OFF", [](MeterLine l) { return CmdWriteCalibration(l, 0); }, "02 00 03 8F 00 00 8C"},
      {"WriteLunchTime", [&](MeterLine l) { return CmdWriteLunchTime(l, lunch); },
       "02 00 08 90 01 0C 00 00 0D 00 00 98 00"},
      {"WriteIntervalTime 60", [](MeterLine l) { return CmdWriteIntervalTime(l, 60); },
       "02 00 05 91 3C 00 00 00 A8 00 00 00 00"},
      {"WriteIntervalTime 7200", [](MeterLine l) { return CmdWriteIntervalTime(l, 7200); },
       "02 00 05 91 20 1C 00 00 A8 00 00 00 00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto want = hexBytes(c.bytes);
    EXPECT_TRUE(c.send(State().line()));
    EXPECT_EQ(pty.receive(want.size()), want);
    EXPECT_TRUE(pty.drain().empty());
  }
}

TEST_F(RequestFrames, ValueOutsideItsFieldWritesNothingAndSetsNoFlag) {
  auto badDose = sampleDose();
  badDose.Meter2PW = -1;
  auto wideDose = sampleDose();
  wideDose.Meter3T = 256;
  auto screens = sampleScreens();
  screens[30] = 300;
  auto alarm = sampleAlarm();
  alarm.AlarmLower[10] = -5;
  auto t1 = sampleTimers();
  t1.DelayDuration = -1;
  auto t2 = sampleTimers();
  t2.PcDuration[7] = -60;
  auto t3 = sampleTimers();
  t3.PcEnable[15] = 256;

  const FrameCase cases[] = {
      {"header entry 256", [](MeterLine l) { return CmdReadRecordHeader(l, 256); }, ""},
      {"header entry 255.5 rounds to 256", [](MeterLine l) { return CmdReadRecordHeader(l, 255.5); }, ""},
      {"header entry -1", [](MeterLine l) { return CmdReadRecordHeader(l, -1); }, ""},
      {"header entry NaN", [](MeterLine l) { return CmdReadRecordHeader(l, std::nan("")); }, ""},
      {"block 65536", [](MeterLine l) { return CmdReadDataBlock(l, 65536); }, ""},
      {"block -1", [](MeterLine l) { return CmdReadDataBlock(l, -1); }, ""},
      {"contrast 300", [](MeterLine l) { return CmdWriteLcdContrast(l, 300); }, ""},
      {"apo -1", [](MeterLine l) { return CmdWriteLcdApo(l, -1); }, ""},
      {"pause 1e12", [](MeterLine l) { return CmdWritePause(l, 1e12); }, ""},
      {"keypad inf", [](MeterLine l) { return CmdWriteKeypadLock(l, INFINITY); }, ""},
      {"scroll 256", [](MeterLine l) { return CmdWriteAutoScroll(l, 256); }, ""},
      {"calibration -1", [](MeterLine l) { return CmdWriteCalibration(l, -1); }, ""},
      {"calibration 32768", [](MeterLine l) { return CmdWriteCalibration(l, 32768); }, ""},
      {"interval -60", [](MeterLine l) { return CmdWriteIntervalTime(l, -60); }, ""},
      {"interval 2^31", [](MeterLine l) { return CmdWriteIntervalTime(l, 2147483648LL); }, ""},
      {"clock year -1",
       [](MeterLine l) {
         return CmdWriteClock(l, MeterClock{-1, 1, 1, 0, 0, 0});
       },
       ""},
      {"clock year 40000",
       [](MeterLine l) {
         return CmdWriteClock(l, MeterClock{40000, 1, 1, 0, 0, 0});
       },
       ""},
      {"clock second 256",
       [](MeterLine l) {
         return CmdWriteClock(l, MeterClock{2020, 1, 1, 0, 0, 256});
       },
       ""},
      {"dose negative PW", [&](MeterLine l) { return CmdWriteDoseSettings(l, badDose); }, ""},
      {"dose threshold 256", [&](MeterLine l) { return CmdWriteDoseSettings(l, wideDose); }, ""},
      {"screens code 300", [&](MeterLine l) { return CmdWriteScreens(l, screens); }, ""},
      {"alarm negative limit", [&](MeterLine l) { return CmdWriteLedAlarm(l, alarm); }, ""},
      {"timers 1 negative duration", [&](MeterLine l) { return CmdWriteTimers1(l, t1); }, ""},
      {"timers 2 negative PC duration", [&](MeterLine l) { return CmdWriteTimers2(l, t2); }, ""},
      {"timers 3 enable 256", [&](MeterLine l) { return CmdWriteTimers3(l, t3); }, ""},
      {"lunch 300",
       [](MeterLine l) {
         return CmdWriteLunchTime(l, LunchTimeBytes{1, 300, 0, 0, 13, 0, 0});
       },
       ""},
      {"welcome 254 bytes",
       [](MeterLine l) { return CmdWriteWelcomeText(l, std::vector<std::uint8_t>(254, 'a')); }, ""},
      {"name 10 bytes", [](MeterLine l) { return CmdWriteMeterName(l, std::vector<std::uint8_t>(10, 'a')); },
       ""},
      {"name 12 bytes", [](MeterLine l) { return CmdWriteMeterName(l, std::vector<std::uint8_t>(12, 'a')); },
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.send(State().line()).status, PortStatus::BadValue);
  }
  // One good frame behind them proves the line was open all along.
  EXPECT_TRUE(CmdReadModel(State().line()));
  EXPECT_EQ(pty.receive(5), hexBytes("02 00 01 00 01"));
  // The parts of a timer record that are fine still go.
  EXPECT_TRUE(CmdWriteTimers1(State().line(), t2));
  EXPECT_EQ(pty.receive(51).size(), 51u);
}

TEST_F(RequestFrames, WithoutACurrentEntryTheFrameIsDroppedAndTheCallerTold) {
  State().link.CurPort = 0;
  EXPECT_EQ(CmdClearMemory(State().line()).status, PortStatus::NoPort);
  EXPECT_EQ(CmdReadMemoryListFirst(State().line()).status, PortStatus::NoPort);
  State().link.CurPort = 11;
  EXPECT_EQ(CmdReadModel(State().line()).status, PortStatus::NoPort);
  EXPECT_TRUE(pty.drain().empty());
}

TEST(RecordPacking, RecordsStartAtZeroAndTimersSplitIntoTheReadLayout) {
  const SettingsRecords records;
  EXPECT_EQ(records.IntervalSeconds, 0);
  EXPECT_EQ(PackDoseSetting(records.DoseRecord)->size(), 26u);
  EXPECT_EQ(PackScreens(records.ScreenRecord)->size(), 36u);
  EXPECT_EQ(PackLedAlarm(records.LedAlarmRecord)->size(), 45u);
  EXPECT_EQ(PackLunchTime(records.LunchTimeRecord)->size(), 7u);
  // The three timer frames carry the 130 bytes of the read-back layout: an
  // 18-byte header, then 16 PC rows of 7.
  const auto t = sampleTimers();
  std::vector<std::uint8_t> all;
  for (int part = 1; part <= 3; ++part) {
    const auto p = PackTimers(t, part);
    ASSERT_TRUE(p);
    all.insert(all.end(), p->begin(), p->end());
  }
  ASSERT_EQ(all.size(), 130u);
  for (int r = 0; r < 16; ++r) {
    const std::size_t o = 18 + 7 * static_cast<std::size_t>(r);
    EXPECT_EQ(all[o], r);
    EXPECT_EQ(all[o + 1], r * 3);
    EXPECT_EQ(all[o + 5], (60 * r + 5) & 0xFF);
    EXPECT_EQ(all[o + 6], r % 2);
  }
  EXPECT_FALSE(PackTimers(t, 4));
}

}  // namespace
