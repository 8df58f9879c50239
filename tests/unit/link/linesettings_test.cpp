// Settings texts read into line attributes.
#include "link/linesettings.h"

#include <gtest/gtest.h>

using namespace vkz;

namespace {

TEST(LineSettings, ReadsBothFormsAndRefusesTheRest) {
  struct Case {
    const char* text;
    bool ok;
    long baud;    // 0: not named
    char parity;  // 0: not named
    int data;     // 0: not named
    int stop;     // 0: not named
  } cases[] = {
      {"baud=57600 parity=N data=8 stop=1", true, 57600, 'N', 8, 1},
      {"BAUD=9600 PARITY=e DATA=7 STOP=2", true, 9600, 'E', 7, 2},
      {"baud=19200", true, 19200, 0, 0, 0},
      {"  baud=4800   stop=1.5 xon=on octs=off dtr=hs rts=tg to=off", true, 4800, 0, 0, 2},
      {"9600,n,8,1", true, 9600, 'N', 8, 1},
      {"COM1: 57600,O,7,2", true, 57600, 'O', 7, 2},
      {"115200,,,", true, 115200, 0, 0, 0},
      {"", true, 0, 0, 0, 0},
      {"baud=", false, 0, 0, 0, 0},
      {"baud=fast", false, 0, 0, 0, 0},
      {"parity=Q", false, 0, 0, 0, 0},
      {"data=9", false, 0, 0, 0, 0},
      {"stop=3", false, 0, 0, 0, 0},
      {"speed=9600", false, 0, 0, 0, 0},
      {"xon=maybe", false, 0, 0, 0, 0},
      {"9600,n,8,1,z", false, 0, 0, 0, 0},
      {"9600,n,8,1,x,y", false, 0, 0, 0, 0},
      {"lpt1: 9600", false, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto s = ParseLineSettings(c.text);
    ASSERT_EQ(s.has_value(), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(s->baud.value_or(0), c.baud);
    EXPECT_EQ(s->parity.value_or(0), c.parity);
    EXPECT_EQ(s->dataBits.value_or(0), c.data);
    EXPECT_EQ(s->stopBits.value_or(0), c.stop);
  }
}

TEST(LineSettings, AppliesOverTheDeviceAttributesAndKeepsThemInRawMode) {
  termios t{};
  cfsetispeed(&t, B9600);
  cfsetospeed(&t, B9600);
  t.c_cflag |= CS7 | PARENB | PARODD | CSTOPB;
  t.c_lflag |= ICANON | ECHO | ISIG;
  t.c_iflag |= ICRNL | IXON;
  t.c_oflag |= OPOST | ONLCR;
  MakeRawKeepLine(t);
  EXPECT_EQ(cfgetospeed(&t), B9600);
  EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB),
            static_cast<tcflag_t>(CS7 | PARENB | PARODD | CSTOPB));
  EXPECT_TRUE(t.c_cflag & CLOCAL);
  EXPECT_TRUE(t.c_cflag & CREAD);
  EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
  EXPECT_FALSE(t.c_iflag & (ICRNL | IXON));
  EXPECT_FALSE(t.c_oflag & OPOST);
  EXPECT_EQ(t.c_cc[VMIN], 0);
  EXPECT_EQ(t.c_cc[VTIME], 0);

  ASSERT_TRUE(ApplyLineSettings(t, *ParseLineSettings("baud=57600 parity=N data=8 stop=1")));
  EXPECT_EQ(cfgetospeed(&t), B57600);
  EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB), static_cast<tcflag_t>(CS8));

  // A rate the line driver does not offer leaves everything as it was.
  const termios before = t;
  EXPECT_FALSE(ApplyLineSettings(t, *ParseLineSettings("baud=12345 data=5")));
  EXPECT_EQ(t.c_cflag, before.c_cflag);
  EXPECT_EQ(SpeedToBaud(B115200), 115200);
  EXPECT_FALSE(BaudToSpeed(31250));
}

}  // namespace
