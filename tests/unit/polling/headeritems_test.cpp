#include "views/headeritems.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "shell/uitext.h"
#include "support/common/test_files.h"

using namespace vkz;
namespace fs = std::filesystem;

namespace {

using test::readBytes;
using test::writeBytes;

std::string zeros() {
  return HeaderSelectionLine(HeaderItemStates{});
}

class HeaderBin : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/headerbin.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    file_ = dir_ / "Header.bin";
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_, file_;
};

}  // namespace

TEST(HeaderItems, TableMatchesCaptionsAndSlots) {
  UiText ui;
  SetUiTextDefaults(ui);
  std::set<std::string> captions;
  for (int i = 0; i < kHeaderItemCount; ++i) captions.insert(HeaderItemCaption(i, ui));
  EXPECT_EQ(captions.size(), 103u);  // every item its own caption
  struct Case {
    int item;
    const char* caption;
    int value;
  };
  const Case cases[] = {{0, "ExceedanceTime", 9}, {1, "Exceedance Stop Time", 200},
                        {2, "Dose", 17},          {18, "PKA", 74},
                        {19, "PKC", 68},          {26, "PNEN", 194},
                        {27, "LAFMax", 92},       {28, "LAFMin", 101},
                        {44, "LZIMin", 109},      {45, "LAF05", 146},
                        {54, "LAF10", 110},       {89, "LZI95", 145},
                        {90, "LAEQ05", 167},      {94, "LAEQ95", 166},
                        {100, "Ti", 32},          {101, "HML", 77},
                        {102, "Ki", 168}};
  for (const Case& c : cases) {
    EXPECT_EQ(HeaderItemCaption(c.item, ui), c.caption);
    EXPECT_EQ(HeaderItemTable()[static_cast<std::size_t>(c.item)].value, c.value) << c.item;
  }
  for (int i = 0; i < kHeaderItemCount; ++i) {
    ItemOffer want = i < 94 ? ItemOffer::Yes : i == 94 ? ItemOffer::Disabled : ItemOffer::DisabledHidden;
    EXPECT_EQ(HeaderItemTable()[static_cast<std::size_t>(i)].offered, want) << i;
  }
  EXPECT_EQ(HeaderItemBoxPos(0).top, 0);
  EXPECT_EQ(HeaderItemBoxPos(8).top, 3000);
  EXPECT_EQ(HeaderItemBoxPos(35).top, 3720);
  EXPECT_EQ(HeaderItemBoxPos(94).left, 9960);
  EXPECT_EQ(HeaderItemBoxPos(102).top, 2640);
}

TEST(HeaderItems, RowShapes) {
  UiText texts;
  SetUiTextDefaults(texts);
  RecordHeader h;
  h.HeaderValue[9] = "85";
  h.HeaderValue[kSlotExceedanceTime] = "00:12:34";
  h.HeaderValue[17] = "12.5";
  h.HeaderValue[23] = "85.3";
  h.HeaderValue[74] = "---.-";
  h.HeaderValue[59] = "2.000";
  h.HeaderValue[89] = "1.5";
  h.HeaderValue[92] = "101.2";
  h.HeaderValue[171] = "10:21:07";
  h.HeaderValue[kSlotExceedanceStopTime] = "00:00:01";
  h.HeaderValue[146] = "81.2";
  struct Case {
    int item;
    HeaderItemRow row;
  };
  const Case cases[] = {
      {0, {"LAS > dB", "(>85)_00:12:34", "(>)_", "(>)_"}},
      {1, {"Exceedance Stop Time", "00:00:01", "", ""}},
      {2, {"Dose", "12.5 %", " %", " %"}},
      {4, {"TWA", "85.3 dB", " dB", " dB"}},
      {15, {"EA", "2.000 Pa^2h", " Pa^2h", " Pa^2h"}},
      {18, {"PKA", "---.- dB", " dB", " dB"}},
      {24, {"EXPs", "1.5 Pa^2s", " Pa^2s", " Pa^2s"}},
      {27, {"LAFMax", "101.2 dB  ( 10:21:07 )", "", ""}},
      {45, {"LAF05", "81.2 dB", "", ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(HeaderItemRowCells(c.item, h, texts), c.row) << c.item;

  // The unit follows the language's dB text.
  UiText ui = texts;
  ui.TxtDB = "dBA";
  EXPECT_EQ(HeaderItemRowCells(4, h, ui)[1], "85.3 dBA");
}

TEST(HeaderItems, RowsOfTickedItems) {
  UiText texts;
  SetUiTextDefaults(texts);
  RecordHeader h;
  HeaderItemStates states{};
  EXPECT_TRUE(HeaderItemRows(states, h, texts).empty());
  for (int i = 0; i <= 93; ++i) states[static_cast<std::size_t>(i)] = 1;
  states[100] = 1;  // Ti, ticked from the file
  states[95] = 2;   // the third state gives no row
  states[102] = 1;  // Ki is never shown
  auto rows = HeaderItemRows(states, h, texts);
  ASSERT_EQ(rows.size(), 95u);
  EXPECT_EQ(rows[2][0], "Dose");
  EXPECT_EQ(rows[93][0], "LAEQ90");
  EXPECT_EQ(rows[94][0], "Ti");
}

TEST_F(HeaderBin, RoundTrip) {
  HeaderItemStates states{};
  states[2] = states[4] = 1;
  states[100] = 2;
  ASSERT_TRUE(SaveHeaderSelection(file_.string(), states));
  const std::string text = readBytes(file_);
  EXPECT_EQ(text.substr(0, 10), "0,0,1,0,1,");
  EXPECT_EQ(text.size(), 203u + 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  HeaderItemStates back{};
  back[102] = 1;
  auto load = LoadHeaderSelection(file_.string(), back);
  EXPECT_FALSE(load.reset);
  HeaderItemStates want = states;
  want[102] = 1;  // not in the file, left as it was
  EXPECT_EQ(back, want);
  EXPECT_FALSE(fs::exists(file_.string() + ".tmp"));
}

TEST_F(HeaderBin, BrokenFilesAreReplacedWithZeros) {
  const std::string ones = [] {
    HeaderItemStates s{};
    s.fill(1);
    return HeaderSelectionLine(s);
  }();
  const std::string f101 = ones.substr(2);               // 101 fields
  const std::string f103 = "1," + ones;                  // 103 fields
  const std::string bigTail = std::string(100000, 'x');  // one huge line
  for (const std::string& content : {std::string(), f101, f103, ones + "\r\n", ones + "1,1", bigTail}) {
    writeBytes(file_, content);
    HeaderItemStates s{};
    s.fill(1);
    auto load = LoadHeaderSelection(file_.string(), s);
    EXPECT_TRUE(load.reset);
    EXPECT_TRUE(load.written);
    EXPECT_EQ(s[0], 0);
    EXPECT_EQ(s[101], 0);
    EXPECT_EQ(readBytes(file_), zeros());
  }
  // Missing: created with zeros.
  fs::remove(file_);
  HeaderItemStates s{};
  EXPECT_TRUE(LoadHeaderSelection(file_.string(), s).reset);
  EXPECT_EQ(readBytes(file_), zeros());
}

TEST_F(HeaderBin, LastLineAndFieldValues) {
  // The last line counts; a field that is not 0, 1 or 2 leaves its box
  // unticked; numbers round a half to the even neighbour.
  std::string line = "1,2,x,,3,1.5,0.5,2.5, 1 ,-0";
  for (int i = 10; i < 102; ++i) line += ",0";
  writeBytes(file_, zeros() + line);  // no line end after the last line
  HeaderItemStates s{};
  EXPECT_FALSE(LoadHeaderSelection(file_.string(), s).reset);
  const int want[] = {1, 2, 0, 0, 0, 2, 0, 2, 1, 0};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(s[static_cast<std::size_t>(i)], want[i]) << i;

  // A huge file whose last line is good: only its end is read.
  writeBytes(file_, std::string(1 << 20, '\n') + HeaderSelectionLine([] {
                      HeaderItemStates t{};
                      t[7] = 1;
                      return t;
                    }()));
  EXPECT_FALSE(LoadHeaderSelection(file_.string(), s).reset);
  EXPECT_EQ(s[7], 1);
  EXPECT_EQ(s[0], 0);
}

TEST_F(HeaderBin, LongLastLineIsReadWhole) {
  // Field 7 ticked and padded with blanks to make the line `length` bytes
  // long (line end not counted): still 102 fields, each a state.
  auto paddedLine = [](std::size_t length) {
    HeaderItemStates t{};
    t[7] = 1;
    std::string line = HeaderSelectionLine(t);
    line.resize(line.size() - 2);
    line.insert(14, length - line.size(), ' ');
    return line;
  };
  for (std::size_t length : {std::size_t{65535}, std::size_t{65536}, std::size_t{65537}, std::size_t{200003}})
    for (const char* before : {"", "1,1\r\n", "x\n"})
      for (const char* end : {"\r\n", "", "\n"}) {
        const std::string content = before + paddedLine(length) + end;
        ASSERT_EQ(paddedLine(length).size(), length);
        writeBytes(file_, content);
        HeaderItemStates s{};
        s[0] = 1;
        const auto load = LoadHeaderSelection(file_.string(), s);
        EXPECT_FALSE(load.reset) << length << " bytes after \"" << before << "\"";
        EXPECT_EQ(s[7], 1) << length;
        EXPECT_EQ(s[0], 0) << length;
        EXPECT_EQ(readBytes(file_), content) << length;  // not rewritten
      }
}

TEST_F(HeaderBin, UnwritableFolder) {
  const std::string path = (dir_ / "missing" / "Header.bin").string();
  HeaderItemStates s{};
  s.fill(1);
  EXPECT_FALSE(SaveHeaderSelection(path, s));
  auto load = LoadHeaderSelection(path, s);
  EXPECT_TRUE(load.reset);
  EXPECT_FALSE(load.written);
  EXPECT_EQ(s[5], 0);
}
