// The fixture of the timer, lunch-time, LED alarm, one-value, welcome-text
// and memory-erase window tests: the program as at start with the English
// texts, and on request a pseudo-terminal linked as the current port, whose
// other end shows every byte a window writes.
#pragma once
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <cstdio>
#include <string>
#include <vector>

#include "link/porttable.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "support/common/program_reset.h"
#include "ui/msgbox.h"
#include "unit/link/testpty.h"

namespace vkz::test {

class WindowsTest : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }
  void TearDown() override { resetProgram(); }

  static void reset() {
    resetProgram();
    LoadDefaultStrings(State().texts);
  }

  // COM1 on the pseudo-terminal, current and open.
  void linkLine() {
    dir_.use();
    ASSERT_TRUE(pty_.ok());
    dir_.link("COM1", pty_.slave());
    ASSERT_EQ(OpenPort(State().line(), 1, kMeterLineSettings), -1);
    State().link.CurPort = 1;
  }

  // Bytes in hex: "02 00 ...".
  static std::string hex(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    for (std::uint8_t b : bytes) {
      char buf[4];
      std::snprintf(buf, sizeof buf, out.empty() ? "%02X" : " %02X", b);
      out += buf;
    }
    return out;
  }
  // Every byte written to the line since the last call.
  std::string written() const { return hex(pty_.drain()); }

  // The texts of the message boxes shown since the last reset.
  static QStringList messages() {
    QStringList out;
    for (const MsgRecord& r : MsgBox::shown()) out << r.text;
    return out;
  }

 private:
  vkztest::TempAppDir dir_;
  vkztest::TestPty pty_;
};

}  // namespace vkz::test
