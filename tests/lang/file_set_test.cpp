#include "lang/file_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "lang/lang_error.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Names(const fs::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(FileSetTest, ReplacesEveryFileOnlyWhenCommitted) {
  ScopedTempDir dir;
  WriteBytes(dir / "A.CRT", "old crt");
  WriteBytes(dir / "A.OBS", "old obs");
  {
    FileSet files(dir / "A.quotex-journal", dir / "A.CRT");
    std::string crt = files.Stage(dir / "A.CRT");
    std::string bas = files.Stage(dir / "A.BAS");
    EXPECT_EQ(fs::path(crt).parent_path(), dir.path()) << "written beside the final name";
    WriteBytes(crt, "new crt");
    WriteBytes(bas, "new bas");
    files.StageRemoval(dir / "A.OBS");
    EXPECT_EQ(ReadBytes(dir / "A.CRT"), "old crt");
    files.Commit();
  }
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"A.BAS", "A.CRT"}));
  EXPECT_EQ(ReadBytes(dir / "A.CRT"), "new crt");
  EXPECT_EQ(ReadBytes(dir / "A.BAS"), "new bas");
}

TEST(FileSetTest, LeavesEverythingAsItWasWhenNotCommitted) {
  ScopedTempDir dir;
  WriteBytes(dir / "A.CRT", "old crt");
  {
    FileSet files(dir / "A.quotex-journal", dir / "A.CRT");
    WriteBytes(files.Stage(dir / "A.CRT"), "new crt");
    WriteBytes(files.Stage(dir / "A.BAS"), "new bas");
    files.StageRemoval(dir / "A.CRT");
  }
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"A.CRT"}));
  EXPECT_EQ(ReadBytes(dir / "A.CRT"), "old crt");
}

TEST(FileSetTest, ReportsAFileThatCannotBeReplaced) {
  ScopedTempDir dir;
  fs::create_directories(dir.path() / "A.CRT" / "inside");  // a directory cannot be replaced
  FileSet files(dir / "A.quotex-journal", dir / "A.CRT");
  WriteBytes(files.Stage(dir / "A.CRT"), "new crt");
  try {
    files.Commit();
    FAIL() << "the commit succeeded";
  } catch (const LangError& error) {
    EXPECT_EQ(error.File(), dir / "A.CRT");
  }
}

TEST(FileSetTest, ReplacesTheTargetOfASymbolicLink) {
  ScopedTempDir dir;
  WriteBytes(dir / "real.crt", "old");
  std::error_code error;
  fs::create_symlink("real.crt", dir.path() / "A.CRT", error);
  if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
  FileSet files(dir / "A.quotex-journal", dir / "A.CRT");
  WriteBytes(files.Stage(dir / "A.CRT"), "new");
  files.Commit();
  EXPECT_TRUE(fs::is_symlink(dir.path() / "A.CRT"));
  EXPECT_EQ(ReadBytes(dir / "real.crt"), "new");
}

}  // namespace
