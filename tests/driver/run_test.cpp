#include "driver/run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/settings.h"
#include "support/test_support.h"

namespace {

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetRunState(); }
  void TearDown() override { ResetRunState(); }

  static CommandLine Read(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "quotex");
    return ReadCommandLine(static_cast<int>(arguments.size()), arguments.data());
  }
};

// Which argument becomes the output name and which the switch, and what each line asks for.
// (A run with "/M" as the output name would write at the root of the file system, so this is
// checked here rather than by running the program.)
TEST_F(CommandLineTest, TakesTheOutputNameAndTheSwitchFromTheirPositions) {
  const std::string tooLong(104, 't');
  const struct {
    std::vector<const char*> arguments;
    CommandLine wanted;
    const char* outputBaseName;
    bool messagesOnly;
  } cases[] = {
      {{"*.clw", "texts"}, CommandLine::kRun, "texts", false},
      {{"*.clw", "/M"}, CommandLine::kRun, "/M", false},
      {{"*.clw", "/m"}, CommandLine::kRun, "/m", false},
      {{"*.clw", "texts", "/M"}, CommandLine::kRun, "texts", true},
      {{"*.clw", "texts", "/X", "/m"}, CommandLine::kUsage, "", true},
      {{"*.clw", "texts", "/m", "/m", "/X"}, CommandLine::kRun, "texts", true},
      {{"*.clw"}, CommandLine::kUsage, "", false},
      {{"src\\*.clw", "texts", "/X"}, CommandLine::kDirectoryPart, "", false},
      {{"*.clw", tooLong.c_str()}, CommandLine::kNameTooLong, "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    ResetRunState();
    EXPECT_EQ(Read(c.arguments), c.wanted);
    EXPECT_STREQ(Settings.outputBaseName, c.outputBaseName);
    EXPECT_EQ(Settings.messagesOnly, c.messagesOnly);
  }
}

}  // namespace
