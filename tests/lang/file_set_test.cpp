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
    EXPECT_TRUE(files.Commit().empty());
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

TEST(FileSetTest, RefusesWhatCannotBeReplacedSafelyBeforeAnythingIsWritten) {
  ScopedTempDir dir;
  fs::create_directories(dir.path() / "A.CRT" / "inside");
  std::error_code noLinks;
  fs::create_symlink("gone.txt", dir.path() / "A.BAS", noLinks);
  FileSet files(dir / "A.quotex-journal", dir / "A.CRT");
  auto refusal = [](auto stage) {
    try {
      stage();
    } catch (const LangError& refused) {
      return std::string(refused.what());
    }
    return std::string("taken");
  };
  EXPECT_EQ(refusal([&] { (void)files.Stage(dir / "A.CRT"); }),
            "not a regular file; nothing was changed");
  if (!noLinks) {
    EXPECT_EQ(refusal([&] { files.StageRemoval(dir / "A.BAS"); }),
              "a symbolic link to a file that is not there; nothing was changed");
  }
  EXPECT_EQ(Names(dir.path()).size(), noLinks ? 1u : 2u);
}

TEST(FileSetTest, ReplacesTheTargetOfASymbolicLink) {
  ScopedTempDir dir;
  WriteBytes(dir / "real.crt", "old");
  std::error_code error;
  fs::create_symlink("real.crt", dir.path() / "A.CRT", error);
  if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
  FileSet files(dir / "A.quotex-journal", dir / "A.CRT");
  WriteBytes(files.Stage(dir / "A.CRT"), "new");
  EXPECT_TRUE(files.Commit().empty());
  EXPECT_TRUE(fs::is_symlink(dir.path() / "A.CRT"));
  EXPECT_EQ(ReadBytes(dir / "real.crt"), "new");
}

}  // namespace

// A folder as a kill in the middle of a commit of A.CRT and A.BAS leaves it (the old CRT file
// kept under its second name, the new one in place), a file of the user's beside it, and one
// outside it.
class RecoverFilesTest : public ::testing::Test {
 protected:
  RecoverFilesTest() {
    fs::create_directory(dir_.path() / "app");
    WriteBytes(dir_ / "app/A.CRT", "new crt");
    WriteBytes(dir_ / "app/A.CRT.quotex-old", "old crt");
    WriteBytes(dir_ / "app/A.BAS", "user's bas");
    WriteBytes(dir_ / "victim.txt", "victim");
  }

  // Every file under the folder with its bytes.
  std::vector<std::pair<std::string, std::string>> Files() const {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir_.path())) {
      if (entry.is_regular_file())
        files.emplace_back(entry.path().string(), ReadBytes(entry.path()));
    }
    std::sort(files.begin(), files.end());
    return files;
  }

  void Recover() {
    RecoverFiles(dir_ / "app/A.quotex-journal", {dir_ / "app/A.CRT", dir_ / "app/A.BAS"});
  }

  ScopedTempDir dir_;
};

TEST_F(RecoverFilesTest, RefusesARecordItCannotTakeAtItsWordWithNothingChanged) {
  const struct {
    const char* text;
    const char* why;
  } cases[] = {
      {"quotex-lang journal 1\nreplace 0 ../victim.txt\nend\n",
       "it is of another version of quotex-lang ('quotex-lang journal 1')"},
      {"quotex-lang journal 2\nreplace - 1:2 ../victim.txt\nend\n",
       "line 2 names '../victim.txt', which is not one of the files it may change"},
      {"quotex-lang journal 2\nremove 6 - /victim.txt\nend\n", "names '/victim.txt', which is"},
      {"quotex-lang journal 2\nremove 7 - B.CRT\nend\n", "line 2 names 'B.CRT', which is not"},
      {"quotex-lang journal 2\nreplace 7 1:2 A.CRT\n", "cut short or changed: its last line is"},
      {"quotex-lang journal 2\r\nreplace 7 1:2 A.CRT\r\nend\r\n",
       "its lines end in CR LF: an editor or a checkout changed it"},
      {"quotex-lang journal 2\nreplace 3 1:2 A.CRT\nend\n",
       "A.CRT.quotex-old' is not the whole file that"},
      {"quotex-lang journal 2\nreplace - 1:2 A.BAS\nend\n",
       "A.BAS' is not the file the interrupted command made"},  // journals only
  };
  for (const auto& each : cases) {
    for (const char* record : {"A.quotex-journal", "A.quotex-done"}) {
      bool madeFile = std::string_view(each.why).ends_with("made");
      if (madeFile && std::string_view(record).ends_with("done")) continue;
      SCOPED_TRACE(std::string(record) + ": " + each.text);
      WriteBytes(dir_ / ("app/" + std::string(record)), each.text);
      auto before = Files();
      try {
        Recover();
        ADD_FAILURE() << "acted on";
      } catch (const LangError& refused) {
        EXPECT_EQ(refused.File(), dir_ / ("app/" + std::string(record)));
        EXPECT_NE(std::string(refused.what()).find(each.why), std::string::npos) << refused.what();
        EXPECT_NE(std::string(refused.what()).find("; nothing was changed ("), std::string::npos);
      }
      EXPECT_EQ(Files(), before);
      fs::remove(dir_.path() / "app" / record);
    }
  }
}

TEST_F(RecoverFilesTest, RemovesASecondNameWithoutARecordOnlyWhenItIsTheFileInPlace) {
  auto before = Files();
  EXPECT_THROW(Recover(), LangError);
  EXPECT_EQ(Files(), before);
  fs::remove(dir_.path() / "app/A.CRT.quotex-old");
  std::error_code error;
  fs::create_hard_link(dir_.path() / "app/A.CRT", dir_.path() / "app/A.CRT.quotex-old", error);
  if (error) GTEST_SKIP() << "no hard links here: " << error.message();
  Recover();
  EXPECT_EQ(Names(dir_.path() / "app"), (std::vector<std::string>{"A.BAS", "A.CRT"}));
}
