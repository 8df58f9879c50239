// The user manuals written at build time open in independent readers.
#include "pdftest.h"

namespace vkz {
namespace {

using namespace pdftest;

TEST(Manuals, BothManualsAreValidAndReadable) {
  struct Case {
    const char* file;
    std::vector<std::string> texts;
  } cases[] = {
      {"help/Manual.pdf",
       {"User Manual", "Linking the meter", "Auto Scan", "PDF report", "Languages and help"}},
      {"help/Manual PT-BR.pdf",
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
  }
}

}  // namespace
}  // namespace vkz
