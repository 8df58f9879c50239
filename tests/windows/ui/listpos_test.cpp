#include "ui/listpos.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QTest>

using namespace vkz;

TEST(ListPosition, FillingSelectsNothingAndRunsNothing) {
  QComboBox box;
  int runs = 0;
  setListHandler(&box, [&] { ++runs; });
  fillList(&box, {"OFF", "ON"});
  EXPECT_EQ(listPosition(&box), -1);
  addListItem(&box, "AUTO");
  EXPECT_EQ(listPosition(&box), -1);
  EXPECT_EQ(box.count(), 3);
  clearList(&box);
  EXPECT_EQ(box.count(), 0);
  EXPECT_EQ(runs, 0);
}

TEST(ListPosition, PositionsOutsideTheListAreRefused) {
  struct Case {
    int from, to;
    ListStatus status;
    int after, runs;
  };
  const Case cases[] = {
      {-1, 0, ListStatus::Ok, 0, 1},
      {-1, 2, ListStatus::Ok, 2, 1},
      {1, -1, ListStatus::Ok, -1, 1},
      {1, 1, ListStatus::Ok, 1, 0},  // same: nothing runs
      {-1, -1, ListStatus::Ok, -1, 0},
      {1, 3, ListStatus::InvalidPosition, 1, 0},
      {1, -2, ListStatus::InvalidPosition, 1, 0},
      {-1, 44, ListStatus::InvalidPosition, -1, 0},
  };
  for (const auto& c : cases) {
    QComboBox box;
    fillList(&box, {"a", "b", "c"});
    ASSERT_EQ(setListPosition(&box, c.from), ListStatus::Ok);
    int runs = 0;
    setListHandler(&box, [&] { ++runs; });
    EXPECT_EQ(setListPosition(&box, c.to), c.status) << c.from << "->" << c.to;
    EXPECT_EQ(listPosition(&box), c.after) << c.from << "->" << c.to;
    EXPECT_EQ(runs, c.runs) << c.from << "->" << c.to;
  }
  EXPECT_EQ(setListPosition(nullptr, 0), ListStatus::InvalidPosition);
}

TEST(ListPosition, HandlersRunSynchronouslyAndNest) {
  // Two lines of a screen page: a maximum on the upper line puts the lower
  // line to OFF (position 2), whose own rule then runs before the upper
  // handler goes on; setting OFF again runs nothing.
  QComboBox up, down;
  fillList(&up, {"Lavg", "Lmax", "OFF"});
  fillList(&down, {"Lavg", "Lmax", "OFF"});
  QStringList trace;
  setListHandler(&up, [&] {
    trace << "up" + QString::number(listPosition(&up));
    if (listPosition(&up) == 1) setListPosition(&down, 2);
    trace << "up-end";
  });
  setListHandler(&down, [&] {
    trace << "down" + QString::number(listPosition(&down));
    if (listPosition(&down) == 2 && listPosition(&up) == 2) setListPosition(&up, 0);
  });
  setListPosition(&up, 1);
  EXPECT_EQ(trace, QStringList({"up1", "down2", "up-end"}));
  trace.clear();
  setListPosition(&up, 2);  // both OFF: the lower rule moves the upper line
  EXPECT_EQ(trace, QStringList({"up2", "up-end"}));
  setListPosition(&down, 1);
  setListPosition(&down, 2);
  EXPECT_EQ(listPosition(&up), 0);
}

TEST(ListPosition, UserPickRunsTheHandler) {
  QComboBox box;
  fillList(&box, {"Normal", "PanXY", "Reset"});
  setListPosition(&box, 0);
  int runs = 0;
  setListHandler(&box, [&] { ++runs; });
  box.show();
  QTest::keyClick(&box, Qt::Key_Down);
  EXPECT_EQ(listPosition(&box), 1);
  EXPECT_EQ(runs, 1);
}
