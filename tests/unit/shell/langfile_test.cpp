// Reading the language index and language files, and storing the choice of
// language; the shipped files in Lan/.
#include "shell/langfile.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/appdir.h"
#include "base/cp1252.h"
#include "shell/uitext.h"
#include "support/common/program_reset.h"

namespace vkz {
namespace {

namespace fs = std::filesystem;

// The slots that differ from their English default.
std::map<std::string, std::string> changedSlots(const UiText& t) {
  std::map<std::string, std::string> out;
  for (const UiTextSlot& s : UiTextSlots())
    if (t.*(s.member) != s.english) out[s.name] = t.*(s.member);
  return out;
}

TEST(LanguageText, LinesApplyByKey) {
  struct Case {
    const char* what;
    std::string text;
    std::map<std::string, std::string> expect;
  };
  const Case cases[] = {
      {"TABs in the key are ignored", "Threshold\t\t\t\\Limiar\r\n", {{"TxtThreshold", "Limiar"}}},
      {"TABs anywhere in the key", "Thre\tshold\\Limiar", {{"TxtThreshold", "Limiar"}}},
      {"blanks count", "Threshold \\Limiar\r\n", {}},
      {"case counts", "threshold\\Limiar\r\n", {}},
      {"a key other than its text",
       "Meter1\\A\r\nMeter 1\\B\r\nPage3\\C\r\nPage 3\\D\r\nLeq\\E\r\nLEQ\\F\r\n",
       {{"TxtMeter1", "B"}, {"TxtPage3", "D"}, {"TxtLeq", "F"}}},
      {"slots without a key", "LunchTime\\A\r\nStop\\B\r\nOutput Record Data?\\C\r\n", {}},
      {"a key that begins with a blank",
       "Lower Limit Range : 70 ~ 140 !!!\\A\r\n\t Upper Limit Range : 70 ~ 140 !!!\t\\B\r\n",
       {{"TxtUpperLimitRange", "B"}}},
      {"an empty text empties the slot", "Exit\\\r\n", {{"TxtExit", ""}}},
      {"the text is cut at a backslash", "Exit\\Sair\\agora\r\n", {{"TxtExit", "Sair"}}},
      {"the text is taken verbatim", "Help\\ Aj\tuda  \r\n", {{"TxtHelp", " Aj\tuda  "}}},
      {"a later line wins", "Exit\\A\r\nExit\\B\r\n", {{"TxtExit", "B"}}},
      {"a key alone ends the file", "Help\\Ajuda\r\nExit\r\nDose\\Dosagem\r\n", {{"TxtHelp", "Ajuda"}}},
      {"a key alone, TABs after it", "Exit\t\t\r\nHelp\\Ajuda\r\n", {}},
      {"an unknown key is passed over",
       "Nonsense\\x\r\njust words\r\nHelp\\Ajuda\r\n",
       {{"TxtHelp", "Ajuda"}}},
      {"an empty line ends the file", "Exit\\Sair\r\n\r\nHelp\\Ajuda\r\n", {{"TxtExit", "Sair"}}},
      {"a closing empty line",
       "Exit\\Sair\r\nHelp\\Ajuda\r\n\r\n",
       {{"TxtExit", "Sair"}, {"TxtHelp", "Ajuda"}}},
      {"LF or CR line ends",
       "Exit\\Sair\nHelp\\Ajuda\rDose\\Dose!",
       {{"TxtExit", "Sair"}, {"TxtHelp", "Ajuda"}, {"TxtDose", "Dose!"}}},
      {"an empty file", "", {}},
  };
  for (const Case& c : cases) {
    UiText t;
    for (const UiTextSlot& s : UiTextSlots()) t.*(s.member) = s.english;
    ApplyLanguageText(c.text, t);
    EXPECT_EQ(changedSlots(t), c.expect) << c.what;
  }
}

TEST(LanguageText, EveryKeyReplacesOnlyItsSlot) {
  for (const UiTextSlot& s : UiTextSlots()) {
    UiText t;
    for (const UiTextSlot& o : UiTextSlots()) t.*(o.member) = o.english;
    // The English text of a slot whose key differs is no key.
    if (!s.key || std::string(s.key) != s.english) {
      EXPECT_EQ(ApplyLanguageText(std::string(s.english) + "\\x", t), 0) << s.name;
    }
    if (s.key) {
      EXPECT_EQ(ApplyLanguageText(std::string(s.key) + "\\x", t), 1) << s.name;
      EXPECT_EQ(changedSlots(t), (std::map<std::string, std::string>{{s.name, "x"}}));
    }
  }
}

TEST(LanguageText, DecodesCodePage1252AndUtf8) {
  EXPECT_EQ(DecodeLanguageBytes("N\xEDvel de crit\xE9rio"), "N\xC3\xADvel de crit\xC3\xA9rio");
  EXPECT_EQ(DecodeLanguageBytes("plain"), "plain");
  // A UTF-8 file, with or without its byte-order mark.
  EXPECT_EQ(DecodeLanguageBytes("\xEF\xBB\xBFN\xC3\xADvel"), "N\xC3\xADvel");
  EXPECT_EQ(DecodeLanguageBytes("\xEF\xBB\xBFplain"), "plain");
  // A byte-order mark over bytes that are not UTF-8 (a 1252 editor changed
  // the file after a UTF-8 one): the bytes after the mark read as 1252.
  EXPECT_EQ(DecodeLanguageBytes("\xEF\xBB\xBF"
                                "Busca autom\xE1tica"),
            "Busca autom\xC3\xA1tica");
  EXPECT_EQ(DecodeLanguageBytes("N\xC3\xADvel"), "N\xC3\xADvel");
  // Not UTF-8 throughout (a cut sequence, an overlong form): code page 1252.
  EXPECT_EQ(DecodeLanguageBytes("N\xC3\xADvel \xC3"), cp1252ToUtf8("N\xC3\xADvel \xC3"));
  EXPECT_EQ(DecodeLanguageBytes("\xC0\xAF"), cp1252ToUtf8("\xC0\xAF"));
  EXPECT_EQ(DecodeLanguageBytes("\xED\xA0\x80"), cp1252ToUtf8("\xED\xA0\x80"));
  // UTF-16 cannot be read.
  EXPECT_EQ(DecodeLanguageBytes(std::string("\xFF\xFE"
                                            "E\0x\0",
                                            6)),
            std::nullopt);
  EXPECT_EQ(DecodeLanguageBytes(std::string("\xFE\xFF\0E\0x", 6)), std::nullopt);
}

// A program folder of its own with a Lan/ folder.
class LanguageFiles : public ::testing::Test {
 protected:
  LanguageState lang;
  UiText texts;
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "vkz-lan-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    fs::create_directory(dir_ / "Lan");
    test::resetProgram();
    setAppDir(dir_.string());
    LoadDefaultStrings(texts);
  }
  void TearDown() override {
    test::resetProgram();
    fs::remove_all(dir_);
  }
  void write(const std::string& rel, const std::string& bytes) {
    std::ofstream(dir_ / fs::u8path(rel), std::ios::binary) << bytes;
  }
  std::string read(const std::string& rel) {
    std::ifstream f(dir_ / fs::u8path(rel), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }
  std::string lanPath(const std::string& name) { return appPath("Lan/" + name + ".lan"); }

  fs::path dir_;
};

TEST_F(LanguageFiles, WithoutLanFolderTheDefaultsStay) {
  fs::remove_all(dir_ / "Lan");
  EXPECT_EQ(LoadLanguageIndex(lang, texts), LangStatus::IndexMissing);
  EXPECT_EQ(lang.LangCount, 0);
  EXPECT_EQ(lang.LangNo, 0);
  EXPECT_TRUE(changedSlots(texts).empty());
  EXPECT_EQ(ReadLanguageNames(2), std::nullopt);
  EXPECT_FALSE(SaveLanguageChoice(lang, 0));
}

TEST_F(LanguageFiles, IndexSelectsTheFileOfItsNumber) {
  write("Lan/Language.bin", "Language\\2\r\n1\\One\r\n2\\Two\r\n3\\Three\r\n");
  write("Lan/One.lan", "Exit\\1\r\n");
  write("Lan/Two.lan", "Exit\\2\r\n");
  write("Lan/Three.lan", "Exit\\3\r\n");
  EXPECT_EQ(LoadLanguageIndex(lang, texts), LangStatus::Loaded);
  EXPECT_EQ(lang.LangNo, 2);
  EXPECT_EQ(lang.LangCount, 3);
  EXPECT_EQ(lang.LangFile, lanPath("Two"));
  EXPECT_EQ(texts.TxtExit, "2");
  EXPECT_EQ(ReadLanguageNames(3), (std::vector<std::string>{"One", "Two", "Three"}));

  // Blanks in numbers are skipped, a number ends at what cannot continue it;
  // several lines with the selected number: the last wins.
  write("Lan/Language.bin", "x\\ 3 rd\r\n1\\One\r\n3\\Two\r\n3 \\Three\r\n");
  EXPECT_EQ(LoadLanguageIndex(lang, texts), LangStatus::Loaded);
  EXPECT_EQ(lang.LangNo, 3);
  EXPECT_EQ(texts.TxtExit, "3");
}

TEST_F(LanguageFiles, BrokenIndexesEndQuietly) {
  write("Lan/A.lan", "Exit\\A\r\nHelp\\A\r\n");
  write("Lan/B.lan", "Exit\\B\r\n");
  write("Lan/Language.bin", "Language\\1\r\n1\\A\r\n2\\B\r\n");
  ASSERT_EQ(LoadLanguageIndex(lang, texts), LangStatus::Loaded);
  ASSERT_EQ(texts.TxtExit, "A");

  struct Case {
    const char* what;
    std::string index;
    LangStatus status;
    int langNo, langCount;
    std::string file, exit;
  };
  // Loads one after another, as language switches are: each case starts from
  // the state the one before left.
  const std::string a = lanPath("A"), b = lanPath("B");
  const Case cases[] = {
      {"empty header keeps the number", "\r\n1\\A\r\n2\\B\r\n", LangStatus::Loaded, 1, 2, a, "A"},
      {"header without backslash", "Language 2\r\n1\\A\r\n2\\B\r\n", LangStatus::IndexBroken, 1, 0, a, "A"},
      {"selected line without backslash", "L\\2\r\n1\\A\r\n2 B\r\n", LangStatus::IndexBroken, 2, 2, a, "A"},
      // An earlier load selected A: it is read again.
      {"no line carries the number", "L\\7\r\n1\\A\r\n2\\B\r\n", LangStatus::Loaded, 7, 2, a, "A"},
      {"a number out of range", "L\\99999999\r\n1\\A\r\n", LangStatus::IndexBroken, 7, 0, a, "A"},
      {"the selected file is missing", "L\\2\r\n1\\A\r\n2\\Gone\r\n", LangStatus::FileMissing, 2, 2,
       lanPath("Gone"), "A"},
      {"switch to a file that lacks keys", "L\\2\r\n1\\A\r\n2\\B\r\n", LangStatus::Loaded, 2, 2, b, "B"},
  };
  for (const Case& c : cases) {
    write("Lan/Language.bin", c.index);
    EXPECT_EQ(LoadLanguageIndex(lang, texts), c.status) << c.what;
    EXPECT_EQ(lang.LangNo, c.langNo) << c.what;
    EXPECT_EQ(lang.LangCount, c.langCount) << c.what;
    EXPECT_EQ(lang.LangFile, c.file) << c.what;
    EXPECT_EQ(texts.TxtExit, c.exit) << c.what;
    EXPECT_EQ(texts.TxtHelp, "A") << c.what;  // only A names it: never back to English
  }
}

TEST_F(LanguageFiles, NothingSelectedKeepsEnglish) {
  write("Lan/Language.bin", "Language\\5\r\n1\\A\r\n2\\B\r\n");
  write("Lan/A.lan", "Exit\\A\r\n");
  EXPECT_EQ(LoadLanguageIndex(lang, texts), LangStatus::NoLanguageFile);
  EXPECT_EQ(lang.LangNo, 1);
  EXPECT_EQ(lang.LangCount, 2);
  EXPECT_TRUE(changedSlots(texts).empty());
}

TEST_F(LanguageFiles, UnreadableLanguageFilesChangeNothing) {
  write("Lan/Language.bin", "Language\\1\r\n1\\A\r\n");
  struct Case {
    const char* what;
    std::string bytes;
  };
  const Case cases[] = {
      {"UTF-16", std::string("\xFF\xFE"
                             "E\0x\0i\0t\0\\\0X\0",
                             14)},
      {"larger than any language file", "Exit\\" + std::string(2u << 20, 'x') + "\r\n"},
  };
  for (const Case& c : cases) {
    write("Lan/A.lan", c.bytes);
    EXPECT_EQ(LoadLanguageIndex(lang, texts), LangStatus::FileUnreadable) << c.what;
    EXPECT_TRUE(changedSlots(texts).empty()) << c.what;
  }
  fs::remove(dir_ / "Lan/A.lan");
  fs::create_directory(dir_ / "Lan/A.lan");
  EXPECT_EQ(LoadLanguageIndex(lang, texts), LangStatus::FileMissing);
}

TEST_F(LanguageFiles, NamesAreCodePage1252OrUtf8) {
  write("Lan/Language.bin", "Language\\2\r\n1\\English\r\n2\\Portugu\xEAs\r\n");
  write("Lan/Portugu\xC3\xAAs.lan", "Criterion\\N\xEDvel de crit\xE9rio\r\n");
  EXPECT_EQ(LoadLanguageIndex(lang, texts), LangStatus::Loaded);
  EXPECT_EQ(texts.TxtCriterion, "N\xC3\xADvel de crit\xC3\xA9rio");
  EXPECT_EQ(ReadLanguageNames(2), (std::vector<std::string>{"English", "Portugu\xC3\xAAs"}));

  write("Lan/Language.bin", "\xEF\xBB\xBFLanguage\\2\r\n1\\English\r\n2\\Portugu\xC3\xAAs\r\n");
  write("Lan/Portugu\xC3\xAAs.lan", "Criterion\\Crit\xC3\xA9rio\r\n");
  EXPECT_EQ(LoadLanguageIndex(lang, texts), LangStatus::Loaded);
  EXPECT_EQ(texts.TxtCriterion, "Crit\xC3\xA9rio");

  // The mark over code page 1252 bytes: the texts are read as 1252.
  write("Lan/Portugu\xC3\xAAs.lan",
        "\xEF\xBB\xBF"
        "Auto Scan\\Busca autom\xE1tica\r\n");
  EXPECT_EQ(LoadLanguageIndex(lang, texts), LangStatus::Loaded);
  EXPECT_EQ(texts.TxtAutoScan, "Busca autom\xC3\xA1tica");
}

TEST_F(LanguageFiles, LanguageNamesForTheWindow) {
  struct Case {
    const char* what;
    std::string index;
    int count;
    std::optional<std::vector<std::string>> names;
  };
  const Case cases[] = {
      {"no languages", "L\\1\r\n", 0, std::nullopt},
      {"fewer lines than languages", "L\\1\r\n1\\A\r\n", 2, std::vector<std::string>{"A", ""}},
      {"a line without backslash", "L\\1\r\n1\\A\r\n2 B\r\n", 2, std::nullopt},
      // Empty lines are counted: the second language stands on line 4.
      {"a line beyond the languages", "L\\1\r\n1\\A\r\n\r\n2\\B\r\n", 2, std::nullopt},
  };
  for (const Case& c : cases) {
    write("Lan/Language.bin", c.index);
    EXPECT_EQ(ReadLanguageNames(c.count), c.names) << c.what;
  }
}

TEST_F(LanguageFiles, SavingTheChoiceRewritesOnlyTheHeader) {
  const std::string rest = "1\\One\r\n2\\Two\n3\\Three";  // as a hand-edited index may be
  write("Lan/Language.bin", "x\\1\\y\r\n" + rest);
  write("Lan/Two.lan", "Exit\\Dois\r\n");
  LoadLanguageIndex(lang, texts);
  ASSERT_EQ(lang.LangCount, 3);

  ASSERT_TRUE(SaveLanguageChoice(lang, 1));
  EXPECT_EQ(read("Lan/Language.bin"), "x\\2\r\n1\\One\r\n2\\Two\r\n3\\Three\r\n");
  EXPECT_EQ(LoadLanguageIndex(lang, texts), LangStatus::Loaded);
  EXPECT_EQ(texts.TxtExit, "Dois");

  // No option chosen (or one the index does not offer): the number stays.
  ASSERT_TRUE(SaveLanguageChoice(lang, -1));
  ASSERT_TRUE(SaveLanguageChoice(lang, 3));
  EXPECT_EQ(read("Lan/Language.bin"), "x\\2\r\n1\\One\r\n2\\Two\r\n3\\Three\r\n");

  // A header without backslash: the index is left as it is.
  write("Lan/Language.bin", "Language 1\r\n1\\One\r\n");
  EXPECT_FALSE(SaveLanguageChoice(lang, 0));
  EXPECT_EQ(read("Lan/Language.bin"), "Language 1\r\n1\\One\r\n");
  EXPECT_FALSE(fs::exists(dir_ / "Lan/Language.bin.tmp"));
}

// The files shipped beside the program (build/bin/Lan, copied from dist/Lan).
class ShippedLanguages : public ::testing::Test {
 protected:
  LanguageState lang;
  UiText texts;
  void SetUp() override {
    test::resetProgram();  // the program's own folder
    LoadDefaultStrings(texts);
  }
  static std::string bytesOf(const std::string& path) {
    std::ifstream f(fs::u8path(path), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }
};

TEST_F(ShippedLanguages, EnglishIsSelectedAndPortugueseOffered) {
  EXPECT_EQ(LoadLanguageIndex(lang, texts), LangStatus::Loaded);
  EXPECT_EQ(lang.LangNo, 1);
  EXPECT_EQ(lang.LangCount, 2);
  EXPECT_TRUE(changedSlots(texts).empty());
  auto names = ReadLanguageNames(lang.LangCount);
  ASSERT_TRUE(names);
  EXPECT_EQ(*names, (std::vector<std::string>{"English", "Portugu\xC3\xAAs (Brasil)"}));
}

TEST_F(ShippedLanguages, PortugueseTranslatesEveryKeyAndEnglishRestoresAll) {
  const std::string bytes = bytesOf(appPath("Lan/Portugu\xC3\xAAs (Brasil).lan"));
  ASSERT_FALSE(bytes.empty());
  // Code page 1252 on disk, and nothing lost on the way in and back out.
  const std::string text = cp1252ToUtf8(bytes);
  EXPECT_EQ(DecodeLanguageBytes(bytes), text);
  EXPECT_EQ(utf8ToCp1252(text), bytes);

  // Every key once, with a text; CR LF line ends; no empty line that would
  // end the file early.
  std::set<std::string> keys;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find("\r\n", pos);
    ASSERT_NE(end, std::string::npos) << "last line without CR LF";
    std::string line = text.substr(pos, end - pos);
    pos = end + 2;
    std::size_t bs = line.find('\\');
    ASSERT_NE(bs, std::string::npos) << line;
    std::string key;
    for (char c : line.substr(0, bs))
      if (c != '\t') key += c;
    EXPECT_NE(FindUiTextKey(key), nullptr) << key;
    EXPECT_TRUE(keys.insert(key).second) << "twice: " << key;
    EXPECT_FALSE(line.substr(bs + 1).empty()) << key;
    EXPECT_EQ(line.find('\\', bs + 1), std::string::npos) << key;
  }
  EXPECT_EQ(keys.size(), 353u);

  // Switch to Portuguese the way the language window does, then back.
  const std::string index = bytesOf(appPath("Lan/Language.bin"));
  UiText pt = texts;
  ApplyLanguageText(text, pt);
  EXPECT_EQ(pt.TxtThreshold, "Limiar");
  EXPECT_EQ(pt.TxtCriterion, "N\xC3\xADvel de crit\xC3\xA9rio");
  EXPECT_EQ(pt.TxtExchangeRate, "Taxa de troca");
  EXPECT_EQ(pt.TxtDose, "Dose");
  EXPECT_EQ(pt.TxtLunchTime, "LunchTime");
  EXPECT_GT(changedSlots(pt).size(), 200u);

  lang.LangFile = appPath("Lan/English.lan");
  texts = pt;
  EXPECT_EQ(LoadLanguageStrings(lang, texts), LangStatus::Loaded);
  EXPECT_TRUE(changedSlots(texts).empty());
  EXPECT_EQ(bytesOf(appPath("Lan/Language.bin")), index);
}

}  // namespace
}  // namespace vkz
