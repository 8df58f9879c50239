// A fresh program for each setting-window test: the one reset, English
// texts, and the setting windows installed (openers and read-back
// providers) as the program installs them.
#pragma once
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStringList>

#include "settings/win/settingwindows.h"
#include "shell/uitext.h"
#include "state/programstate.h"
#include "support/common/program_reset.h"
#include "support/common/qt_app.h"
#include "ui/msgbox.h"

namespace vkz {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }
  void TearDown() override { test::resetProgram(); }
  static void reset() {
    test::resetProgram();
    LoadDefaultStrings(State().texts);
    installSettingWindows();
  }
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
};

}  // namespace vkz
