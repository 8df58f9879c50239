// A fresh program for each setting-window test: the one reset, English
// texts, the setting windows installed (openers and read-back providers)
// as the program installs them, and a pseudo-terminal linked as COM1, so a
// Set's request goes out as it would to a meter (`line()` holds what was
// written).
#pragma once
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <memory>
#include <optional>

#include "link/comname.h"
#include "link/porttable.h"
#include "settings/win/settingwindows.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "support/common/engine_clock.h"
#include "support/common/program_reset.h"
#include "support/common/qt_app.h"
#include "ui/msgbox.h"
#include "unit/link/testpty.h"

namespace vkz {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }
  void TearDown() override {
    clock_.reset();
    test::resetProgram();
    line_.reset();
    dir_.reset();
  }
  void reset() {
    clock_.reset();
    test::resetProgram();
    // The program runs on the test's clock: a window's pauses pass on it.
    clock_.emplace([] { QCoreApplication::processEvents(); });
    LoadDefaultStrings(State().texts);
    installSettingWindows();
    // The folder of the case before goes first: going after the new one is
    // made, it would switch the port names back to the machine's own ports
    // (COM1 a real serial port, whose writes may stall).
    line_.reset();
    dir_.reset();
    dir_ = std::make_unique<vkztest::TempAppDir>();
    line_ = std::make_unique<vkztest::TestPty>();
    ASSERT_TRUE(line_->ok());
    dir_->link("COM1", line_->slave());
    ASSERT_FALSE(comFallback());  // COM1 is the pseudo-terminal
    ASSERT_EQ(OpenPort(State().line(), 1, kMeterLineSettings), -1);
    State().link.CurPort = 1;
  }
  std::optional<test::EngineClock> clock_;
  // The meter's end of the cable.
  vkztest::TestPty& line() { return *line_; }
  static QStringList messages() {
    QStringList out;
    for (const MsgRecord& r : MsgBox::shown()) out << r.text;
    return out;
  }
  static QStringList texts(const QComboBox* c) {
    QStringList out;
    for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
    return out;
  }

 private:
  std::unique_ptr<vkztest::TempAppDir> dir_;
  std::unique_ptr<vkztest::TestPty> line_;
};

}  // namespace vkz
