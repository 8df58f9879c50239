// The serial object over real pseudo-terminals linked as com/COMn.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "link/comname.h"
#include "link/comportapi.h"
#include "link/eventpump.h"
#include "link/porttable.h"
#include "support/common/program_reset.h"
#include "unit/link/testpty.h"

using namespace vkz;
using vkztest::hexBytes;

namespace {

class ComPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::resetProgram();
    dir.use();
    ASSERT_TRUE(pty.ok());
    dir.link("COM3", pty.slave());
  }
  void TearDown() override { test::resetProgram(); }
  vkztest::TempAppDir dir;
  vkztest::TestPty pty;
  ComPortAPI api;
};

TEST_F(ComPortTest, OpensThroughTheMapRawAt57600_8N1) {
  ASSERT_EQ(api.CommOpen(3, "COM3", kMeterLineSettings), 0);
  EXPECT_EQ(api.IsOpen(3), -1);
  EXPECT_GE(api.IsActivity(3), 3);
  EXPECT_EQ(api.DevicePath(3), dir.path() + "/com/COM3");

  // The line as the other side of the cable sees it.
  termios t{};
  ASSERT_EQ(tcgetattr(pty.master(), &t), 0);
  EXPECT_EQ(cfgetospeed(&t), B57600);
  EXPECT_EQ(cfgetispeed(&t), B57600);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_FALSE(t.c_cflag & PARENB);
  EXPECT_FALSE(t.c_cflag & CSTOPB);
  EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
  EXPECT_FALSE(t.c_iflag & (ICRNL | INLCR | IXON | IXOFF | ISTRIP));
  EXPECT_FALSE(t.c_oflag & OPOST);

  // Bytes a cooked terminal would change or swallow pass unchanged both ways.
  const auto raw = hexBytes("0A 03 11 13 0D 7F 1A 04 FF 00");
  EXPECT_EQ(api.CommWrite(3, raw), static_cast<int>(raw.size()));
  EXPECT_EQ(pty.receive(raw.size()), raw);
  pty.send(raw);
  ASSERT_TRUE(vkztest::waitReadable(api.NativeHandle(3)));
  std::vector<std::uint8_t> got;
  EXPECT_EQ(api.CommRead(3, got, 4096), static_cast<int>(raw.size()));
  EXPECT_EQ(got, raw);
}

TEST_F(ComPortTest, SecondOpenIsRefusedAsInUse) {
  ASSERT_EQ(api.CommOpen(3, "COM3", kMeterLineSettings), 0);
  // The same object: -2, the port stays open.
  EXPECT_EQ(api.CommOpen(3, "COM3", kMeterLineSettings), -2);
  EXPECT_EQ(api.LastError().ErrorCode, -1);
  EXPECT_EQ(api.LastError().ErrorFunction, "CommOpen");
  EXPECT_EQ(api.LastError().ErrorMessage, "Port in use.");
  EXPECT_EQ(api.IsOpen(3), -1);

  // Another number naming the same device, and another program: busy.
  dir.link("COM4", pty.slave());
  EXPECT_EQ(api.CommOpen(4, "COM4", kMeterLineSettings), EBUSY);
  EXPECT_EQ(api.IsOpen(4), 0);
  ComPortAPI other;
  EXPECT_EQ(other.CommOpen(3, "COM3", kMeterLineSettings), EBUSY);
  EXPECT_EQ(other.IsOpen(3), 0);
  EXPECT_EQ(other.IsActivity(3), -1);
  std::string msg;
  EXPECT_EQ(other.CommGetError(msg), EBUSY);
  EXPECT_EQ(msg, "Error (16): CommOpen (CreateFile) - Device or resource busy");

  // Free again once closed.
  EXPECT_EQ(api.CommClose(3), 0);
  EXPECT_EQ(other.CommOpen(3, "COM3", kMeterLineSettings), 0);
}

TEST_F(ComPortTest, MissingDeviceGivesTheSystemCodeAndText) {
  const CommError before = api.LastError();
  EXPECT_EQ(api.CommClose(9), 0);  // not open: nothing recorded
  EXPECT_EQ(api.LastError().ErrorFunction, before.ErrorFunction);

  EXPECT_EQ(api.IsActivity(9), 0);
  EXPECT_EQ(api.CommOpen(9, "COM9", kMeterLineSettings), ENOENT);
  EXPECT_EQ(api.IsOpen(9), 0);
  EXPECT_EQ(api.IsActivity(9), -1);
  std::string msg;
  EXPECT_EQ(api.CommGetError(msg), 2);
  EXPECT_EQ(msg, "Error (2): CommOpen (CreateFile) - No such file or directory");

  // A link whose device has gone.
  dir.link("COM5", "/dev/vkz-no-such-device");
  EXPECT_EQ(api.CommOpen(5, "COM5", ""), ENOENT);
  // Port numbers outside 1..256.
  EXPECT_EQ(api.IsOpen(0), 0);
  EXPECT_EQ(api.IsOpen(300), 0);
  EXPECT_EQ(api.CommOpen(300, "COM300", ""), kPortRangeError);
  EXPECT_EQ(api.LastError().ErrorFunction, "CommOpen");
  std::vector<std::uint8_t> data;
  EXPECT_EQ(api.CommRead(0, data, 4096), -1);
  EXPECT_EQ(api.CommWrite(257, {1, 2}), 0);
}

TEST_F(ComPortTest, RejectedSettingsLeaveThePortOpenAndRaw) {
  EXPECT_EQ(api.CommOpen(3, "COM3", "baud=57600 parity=Q"), EINVAL);
  EXPECT_EQ(api.LastError().ErrorFunction, "CommOpen (BuildCommDCB)");
  EXPECT_EQ(api.IsOpen(3), -1);
  termios t{};
  ASSERT_EQ(tcgetattr(pty.master(), &t), 0);
  EXPECT_FALSE(t.c_lflag & ICANON);
  // (A pseudo-terminal keeps 8 bits without parity whatever it is told.)
  EXPECT_EQ(api.CommSet(3, "baud=9600 stop=2"), 0);
  ASSERT_EQ(tcgetattr(pty.master(), &t), 0);
  EXPECT_EQ(cfgetospeed(&t), B9600);
  EXPECT_TRUE(t.c_cflag & CSTOPB);
  EXPECT_EQ(api.CommClose(3), 0);
  EXPECT_EQ(api.IsOpen(3), 0);
  EXPECT_GE(api.IsActivity(3), 3);  // a close keeps the handle number
  EXPECT_EQ(api.CommSet(3, kMeterLineSettings), EBADF);
  EXPECT_EQ(api.LastError().ErrorFunction, "CommSet (GetCommState)");
}

TEST_F(ComPortTest, ReadTakesWhatIsQueuedAndNeverWaits) {
  int turns = 0;
  setEventPump([&] { ++turns; });
  ASSERT_EQ(api.CommOpen(3, "COM3", kMeterLineSettings), 0);
  std::vector<std::uint8_t> data{9, 9};
  EXPECT_EQ(api.CommRead(3, data, 4096), 0);
  EXPECT_EQ(data, (std::vector<std::uint8_t>{9, 9}));
  EXPECT_EQ(turns, 1);
  EXPECT_EQ(api.IsInBuffSize(3), 0);

  const auto seven = hexBytes("03 00 00 07 56 4B 5A");
  pty.send(seven);
  ASSERT_TRUE(vkztest::waitReadable(api.NativeHandle(3)));
  EXPECT_EQ(api.IsInBuffSize(3), 7);
  EXPECT_EQ(api.CommRead(3, data, 4096), 7);
  EXPECT_EQ(data, seven);

  turns = 0;
  EXPECT_EQ(api.CommWrite(3, hexBytes("02 00 01 00 01")), 5);
  EXPECT_EQ(turns, 11);  // once after the write, ten more after a good one
  EXPECT_EQ(pty.receive(5), hexBytes("02 00 01 00 01"));
  {
    const ComPortAPI::QuietWrites quiet(api);
    turns = 0;
    EXPECT_EQ(api.CommWrite(3, hexBytes("02 00 01 00 01")), 5);
    EXPECT_EQ(turns, 0);
  }
  EXPECT_EQ(pty.receive(5), hexBytes("02 00 01 00 01"));
  EXPECT_EQ(api.CommWrite(3, hexBytes("02 00 01 00 01")), 5);
  EXPECT_EQ(turns, 11);
}

TEST_F(ComPortTest, VanishedDeviceFailsAtOnce) {
  ASSERT_EQ(api.CommOpen(3, "COM3", kMeterLineSettings), 0);
  pty.close();  // the cable's other end is gone
  std::vector<std::uint8_t> data;
  EXPECT_EQ(api.CommRead(3, data, 4096), -1);
  EXPECT_EQ(api.LastError().ErrorCode, EIO);
  EXPECT_EQ(api.LastError().ErrorFunction, "CommRead (ClearCommError)");
  EXPECT_EQ(api.CommWrite(3, hexBytes("02 00 01 00 01")), -1);
  EXPECT_EQ(api.LastError().ErrorFunction, "CommWrite (WriteFile)");
  std::string msg;
  api.CommGetError(msg);
  EXPECT_EQ(msg, "Error (5): CommWrite (WriteFile) - Input/output error  COMM Error Flags = 0");
  EXPECT_EQ(api.CommClose(3), 0);
}

TEST_F(ComPortTest, WriteToADeviceThatTakesNothingIsBounded) {
  api.SetWriteWait(0);
  ASSERT_EQ(api.CommOpen(3, "COM3", kMeterLineSettings), 0);
  // Nobody reads the other side: the kernel's queue fills and the write
  // gives back what it got rid of instead of waiting.
  const std::vector<std::uint8_t> big(1 << 20, 0x55);
  const int n = api.CommWrite(3, big);
  EXPECT_GE(n, 0);
  EXPECT_LT(n, static_cast<int>(big.size()));
  EXPECT_EQ(api.LastError().ErrorCode, ETIMEDOUT);
  EXPECT_EQ(api.LastError().ErrorFunction, "CommWrite (WriteFile)");
  // Once the other side reads again, writes go through whole.
  pty.drain();
  api.CommFlush(3);
  EXPECT_EQ(api.CommWrite(3, {0x02, 0x00, 0x01, 0x00, 0x01}), 5);
}

TEST_F(ComPortTest, DescriptorStaysAboveTheStandardStreams) {
  const int saved = ::dup(0);
  ASSERT_GE(saved, 0);
  ::close(0);
  const int rc = api.CommOpen(3, "COM3", kMeterLineSettings);
  ::dup2(saved, 0);
  ::close(saved);
  ASSERT_EQ(rc, 0);
  EXPECT_GE(api.NativeHandle(3), 3);
  EXPECT_TRUE(::fcntl(api.NativeHandle(3), F_GETFD) & FD_CLOEXEC);
}

TEST_F(ComPortTest, ModemLinesRecordTheirFailures) {
  ASSERT_EQ(api.CommOpen(3, "COM3", kMeterLineSettings), 0);
  EXPECT_NE(api.CommSetLine(3, 7, -1), 0);  // no such line
  EXPECT_EQ(api.LastError().ErrorFunction, "CommSetLine (EscapeCommFunction)");
  std::int16_t state = 5;
  api.CommClose(3);
  EXPECT_EQ(api.CommGetLine(3, 0x10, state), EBADF);
  EXPECT_EQ(api.LastError().ErrorFunction, "CommReadCD (GetCommModemStatus)");
  EXPECT_EQ(state, 5);
}

TEST_F(ComPortTest, OnlyATerminalIsTakenAsAPort) {
  // com/COM8 linked to things that are no serial device: each is refused
  // untouched (no request may land in a file), not listed by a scan
  // (IsActivity stays -1), and the user is told what the path is.
  const std::string file = dir.path() + "/measurements.vkz";
  const std::string pipe = dir.path() + "/pipe";
  const std::string folder = dir.path() + "/folder";
  std::FILE* f = std::fopen(file.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("KRD 529\r\n\r\nInformation\r\n", f);
  std::fclose(f);
  const timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), past, 0), 0);
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  struct Case {
    std::string target;
    const char* kind;
  } cases[] = {
      {file, "an ordinary file"},
      {pipe, "a pipe"},
      {folder, "a folder"},
      {"/dev/null", "a device that is not a terminal"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    dir.link("COM8", c.target);
    EXPECT_EQ(api.CommOpen(8, "COM8", kMeterLineSettings), ENOTTY);
    EXPECT_EQ(api.IsOpen(8), 0);
    EXPECT_EQ(api.IsActivity(8), -1);
    EXPECT_EQ(api.NativeHandle(8), -1);
    EXPECT_EQ(api.LastError().ErrorFunction, "CommOpen (CreateFile)");
    EXPECT_EQ(api.OpenRefusal(8), "COM8 (" + dir.path() + "/com/COM8 -> " + c.target +
                                      ") is not a serial device: it is " + c.kind +
                                      ". The port was not opened and nothing was written to it.");
    EXPECT_EQ(api.CommWrite(8, hexBytes("02 00 01 00 01")), -1);
  }
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 24);
  EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);

  // A pseudo-terminal is a port, and the refusal before is forgotten.
  dir.link("COM8", pty.slave());
  EXPECT_EQ(api.CommOpen(8, "COM8", kMeterLineSettings), 0);
  EXPECT_EQ(api.OpenRefusal(8), "");
  // A missing device is no refusal the user can mend here.
  EXPECT_EQ(api.CommOpen(9, "COM9", kMeterLineSettings), ENOENT);
  EXPECT_EQ(api.OpenRefusal(9), "");
}

TEST_F(ComPortTest, ADeviceTheUserMayNotUseSaysHowToGetAccess) {
  // The usual first run on Linux: the USB adapter belongs to the group
  // dialout, which the user is not in yet.
  if (::geteuid() != 0) GTEST_SKIP() << "handing the device to the group dialout needs root";
  const group* dialout = ::getgrnam("dialout");
  if (dialout == nullptr) GTEST_SKIP() << "no group dialout on this machine";
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  ASSERT_EQ(::chown(pty.slave().c_str(), 0, dialout->gr_gid), 0);
  ASSERT_EQ(::chmod(pty.slave().c_str(), 0660), 0);
  const std::string expected = "No permission to use COM3 (" + dir.path() + "/com/COM3 -> " + pty.slave() +
                               "). The device belongs to the group dialout: add yourself to it with\n"
                               "    sudo usermod -aG dialout $USER\nthen log out and in again.";
  // As a user who is not in the group.
  EXPECT_EXIT(
      {
        const bool dropped = ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ComPortAPI user;
        const int rc = user.CommOpen(3, "COM3", kMeterLineSettings);
        if (!dropped || rc != EACCES || user.OpenRefusal(3) != expected || user.IsOpen(3) != 0) {
          std::fprintf(stderr, "rc %d: %s\n", rc, user.OpenRefusal(3).c_str());
          std::_Exit(1);
        }
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(ComNameMap, EntryBesideTheProgramWinsThenTheDevFallback) {
  vkztest::TempAppDir dir;
  setComFallback(true);
  struct Case {
    const char* name;
    const char* path;
  } cases[] = {
      {"COM1", "/dev/ttyS0"},
      {"COM32", "/dev/ttyS31"},
      {"COM33", "/dev/ttyUSB0"},
      {"COM64", "/dev/ttyUSB31"},
      {"COM65", "/dev/ttyACM0"},
      {"COM96", "/dev/ttyACM31"},
      {"COM97", ""},
      {"COM256", ""},
      {"COM0", ""},
      {"COM01", ""},
      {"COM257", ""},
      {"COMx", ""},
      {"com1", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ComDevicePath(c.name), c.path) << c.name;
  dir.link("COM2", "/dev/null");
  dir.link("COM200", "/dev/null");
  EXPECT_EQ(ComDevicePath("COM2"), dir.path() + "/com/COM2");
  EXPECT_EQ(ComDevicePath("COM200"), dir.path() + "/com/COM200");
  const std::string map = ComNameMapText();
  EXPECT_NE(map.find("COM200  ->  " + dir.path() + "/com/COM200  (/dev/null)"), std::string::npos) << map;
  setComFallback(false);
  EXPECT_EQ(ComDevicePath("COM1"), "");
  EXPECT_EQ(ComDevicePath("COM2"), dir.path() + "/com/COM2");
}

}  // namespace
