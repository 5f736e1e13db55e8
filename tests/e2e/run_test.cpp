#include <gtest/gtest.h>

#include "support/process.h"
#include "support/test_support.h"

namespace {

constexpr char kBanner[] = "\n\nQuotex 1.00 (990522)\n\n\n";

TEST(RunTest, WithoutArgumentsShowsBannerAndUsage) {
  ScopedTempDir dir;
  ProcessResult result = RunQuotex(dir.path(), {});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, std::string(kBanner) +
                               "\tUsage: QUOTEX FILEMASK OUTPUTFILE [/M]\n\n"
                               "\tWhere:\n"
                               "\t\tFILEMASK        the files being scanned\n"
                               "\t\tOUTPUTFILE      Name and path of outputfile \n"
                               "\t\tSwitch M        Only show texts in MESSAGES\n");
}

}  // namespace
