#include "base/trtext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vkz;

// A translation may reorder the numbers and names it is given.
TEST(TrText, FillTextPutsEachArgumentAtItsPlaceholder) {
  struct Case {
    const char* pattern;
    std::vector<std::string> args;
    const char* out;
  } cases[] = {
      {"%1 of %2 records", {"20", "57"}, "20 of 57 records"},
      {"%2 registros: %1", {"20", "57"}, "57 registros: 20"},
      {"group %1, usermod -aG %1", {"dialout"}, "group dialout, usermod -aG dialout"},
      {"%1 stays without an argument: %2", {"x"}, "x stays without an argument: %2"},
      {"an argument is not searched again", {}, "an argument is not searched again"},
      {"%1", {"%2"}, "%2"},
      {"100% sure, %", {}, "100% sure, %"},
  };
  for (const auto& c : cases) EXPECT_EQ(fillText(c.pattern, c.args), c.out) << c.pattern;
}

TEST(TrText, LooksUpThroughTheInstalledTranslator) {
  EXPECT_EQ(trText("Port", "No port is linked."), "No port is linked.");
  setTranslator([](const char* context, const char* source) { return std::string(context) + "/" + source; });
  EXPECT_EQ(trText("Port", "No port is linked."), "Port/No port is linked.");
  setTranslator(nullptr);
  EXPECT_EQ(trText("Port", "No port is linked."), "No port is linked.");
}
