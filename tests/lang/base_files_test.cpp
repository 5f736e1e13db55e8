#include "lang/base_files.h"

#include <gtest/gtest.h>

namespace {

TEST(BaseFilesTest, TakesTheLanguageFromABaseNamedForIt) {
  const std::pair<const char*, const char*> cases[] = {
      {"de", "de"}, {"lang/DE", "de"}, {"PT_br", "pt_BR"}, {"fil_PH", "fil_PH"}, {"texts", ""},
      {"app", ""},  {"d_e", ""},       {"pt_BRA", ""},     {"d1", ""},           {"de_", ""}};
  for (const auto& [base, language] : cases) EXPECT_EQ(LanguageOfBase(base), language) << base;
}

}  // namespace
