// The example application under examples/, scanned as a user would, against its checked-in
// expected outputs.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/e2e_fixture.h"

namespace {

const std::filesystem::path kExamples = std::filesystem::path(QUOTEX_SOURCE_DIR) / "examples";

class ExampleTest : public E2eTest {
 protected:
  void SetUp() override {
    for (const auto& entry : std::filesystem::directory_iterator(kExamples)) {
      if (entry.path().extension() == ".clw") {
        std::filesystem::copy_file(entry.path(), Dir() / entry.path().filename());
      }
    }
    MakeDirectory("out");
  }
};

TEST_F(ExampleTest, OutputsMatchTheExpectedFilesByteForByte) {
  struct Case {
    Arguments arguments;
    const char* expectedBase;
  };
  const Case cases[] = {
      {{"*.clw", "out/example"}, "EXAMPLE"},
      {{"*.clw", "out/messages", "/M"}, "MESSAGES"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expectedBase);
    ProcessResult result = Run(c.arguments);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, kBanner);
    for (const char* extension : {".BAS", ".CRT", ".LST"}) {
      std::string name = std::string(c.expectedBase) + extension;
      EXPECT_EQ(ReadBytes(Dir() / "out" / name), ReadBytes(kExamples / "expected" / name)) << name;
    }
  }
}

}  // namespace
