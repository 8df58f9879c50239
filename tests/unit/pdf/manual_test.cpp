// The user manuals written at build time open in independent readers.
#include "pdftest.h"

namespace vkz {
namespace {

using namespace pdftest;

TEST(Manuals, BothManualsAreValidAndReadable) {
  struct Case {
    const char* file;
    std::string title;
    std::vector<std::string> texts;
  } cases[] = {
      {"help/Manual.pdf",
       "Noise Dosimeter Companion Program — User Manual",
       {"User Manual", "Linking the meter", "Auto Scan", "PDF report", "Languages and help"}},
      {"help/Manual PT-BR.pdf",
       "Programa do Dosímetro de Ruído — Manual do Usuário",
       {"Manual do Usuário", "Conectando o medidor", "Transferindo medições", "relatório em PDF",
        "Idiomas e ajuda"}},
  };
  for (const auto& c : cases) {
    const std::string path = appPath(c.file);
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    EXPECT_TRUE(qpdfClean(path));
    const std::string text = pdfText(path);
    for (const auto& t : c.texts) EXPECT_NE(text.find(t), std::string::npos) << c.file << ": " << t;
    int pages = std::stoi(run("pdfinfo '" + path + "' | sed -n 's/^Pages: *//p'"));
    EXPECT_GE(pages, 3) << c.file;
    EXPECT_LE(pages, 6) << c.file;
    // The title reads in a reader's document properties as it was written.
    EXPECT_EQ(run("pdfinfo -enc UTF-8 '" + path + "' | sed -n 's/^Title: *//p'"), c.title + "\n");
  }
}

}  // namespace
}  // namespace vkz
