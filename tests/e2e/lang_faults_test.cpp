// The commands of quotex-lang that write, failed or killed at every step that changes the file
// system (by the I/O fault shim), with hard links and without: no translation is ever lost, and
// the next command on the files, from another folder, brings them back to what an uninterrupted
// run leaves. Two commands on the same files, one paused at each step: the second waits.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "e2e/e2e_fixture.h"
#include "e2e/lang_fixture.h"

namespace {

using Files = std::vector<std::pair<std::string, std::string>>;

constexpr char kSource[] =
    "Window WINDOW('Customer List'),AT(,,200,100)\r\n"
    "       BUTTON('&OK'),USE(?OK)\r\n"
    "       BUTTON('Cancel'),USE(?Cancel)\r\n"
    "  MESSAGE('Back again','Customers')\r\n";

// Translations move both ways in an update: "Gone" to the obsolete file, "Back again" from it.
const Pairs kCrt = {
    {"Customer List", "Kundenliste"}, {"&OK", "&OK"}, {"Gone", "Weg"}, {"Cancel", ""}};
const Pairs kObsolete = {{"Back again", "Wieder da"}, {"Older", "\xC4lter"}};
constexpr char kPo[] =
    "msgid \"Cancel\"\nmsgstr \"Abbrechen\"\n\n"
    "msgid \"Gone\"\nmsgstr \"Fort\"\n\n"
    "msgid \"Older\"\nmsgstr \"Noch \xC3\xA4lter\"\n";

constexpr char kEpoch[] = "SOURCE_DATE_EPOCH=0";
constexpr auto kCrtPermissions = std::filesystem::perms(0640);

class LangFaultTest : public E2eTest {
 protected:
  void Reset() {
    for (const auto& entry : std::filesystem::directory_iterator(Dir())) {
      std::filesystem::remove_all(entry.path());
    }
    WriteFile("main.clw", kSource);
    WriteFile("de.po", kPo);
    WriteFile("DE.po", kPo);  // not imported: export keeps it as DE.po~ beside its new file
    WriteFile("DE.CRT", Crt(kCrt));
    std::filesystem::permissions(Dir() / "DE.CRT", kCrtPermissions);
    // The PO file's dates come from the CRT file and the clock: the same in every run.
    std::filesystem::last_write_time(Dir() / "DE.CRT", std::filesystem::file_time_type());
    WriteFile("DE.OBS", Crt(kObsolete));
    WriteFile("DE.BAS", Bas(kCrt));
    WriteFile("DE.LST", "Customer List\r\n");
    // Typed in and not imported: export keeps it as DE.po~, replaced with DE.po together.
    WriteFile("DE.po", "msgid \"Cancel\"\nmsgstr \"Getippt\"\n");
  }

  // Whether every translation of the CRT and OBS files of `files` stands in some file now.
  bool TranslationsKept(const Files& files) const {
    std::string everything;
    for (const auto& [name, bytes] : Snapshot()) everything += bytes;
    for (const auto& [name, bytes] : files) {
      if (name != "DE.CRT" && name != "DE.OBS") continue;
      for (std::size_t at = 0; (at = bytes.find("PSTRING('", at)) != std::string::npos;) {
        std::size_t end = bytes.find("')", at);
        if (everything.find(bytes.substr(at, end - at)) == std::string::npos) return false;
        at = end;
      }
    }
    return true;
  }

  static std::string Bytes(const Files& files, const std::string& name) {
    for (const auto& [each, bytes] : files) {
      if (each == name) return bytes;
    }
    return "(none)";
  }
};

// Options that preload the shim with `faults`; with none, it only skips the flushes to the
// disk, which makes a run quicker and changes nothing that a test can see.
ProcessOptions Faults(std::vector<std::string> faults) {
  ProcessOptions options;
  std::erase(faults, "");
  faults.push_back("QUOTEX_FAULT_AT=0");  // the first wins
  faults.push_back(kEpoch);
  WithIoFaults(std::move(faults), options);
  return options;
}

TEST_F(LangFaultTest, NoStepOfACommandThatWritesLosesATranslation) {
  ProcessOptions probe;
  if (!WithIoFaults({}, probe)) GTEST_SKIP() << kNoIoFaultShim;
  const Arguments commands[] = {{"update", "*.clw", "de"},
                                {"import", "de.po", "de", "--charset", "cp1252"},
                                {"export", "de", "--sources", "*.clw"}};
  // Recovery runs from another folder, with the base named from there.
  ScopedTempDir elsewhere;
  const Arguments recover = {"check", Dir().string() + "/de"};
  for (const Arguments& command : commands) {
    Reset();
    const Files before = Snapshot();
    ProcessResult clean = RunLang(command, Faults({}));
    ASSERT_EQ(clean.status, 0) << clean.errors;
    const Files after = Snapshot();
    for (const char* links : {"", "QUOTEX_NO_LINKS=1"}) {
      for (const char* fault : {"kill", "fail"}) {
        int step = 1;
        for (;; ++step) {
          SCOPED_TRACE(command[0] + ", " + fault + " at step " + std::to_string(step) + " " +
                       links);
          Reset();
          ProcessResult faulty =
              RunLang(command, Faults({std::string("QUOTEX_FAULT=") + fault,
                                       "QUOTEX_FAULT_AT=" + std::to_string(step), links}));
          bool fired =
              faulty.status == -1 || faulty.errors.find("io_fault_shim") != std::string::npos;
          if (!fired) {
            EXPECT_EQ(faulty.status, 0) << faulty.errors;
            EXPECT_EQ(Snapshot(), after);
            break;
          }
          const Files left = Snapshot();
          std::string crt = Bytes(left, "DE.CRT");
          EXPECT_TRUE(crt == Bytes(before, "DE.CRT") || crt == Bytes(after, "DE.CRT"));
          EXPECT_TRUE(TranslationsKept(before) || TranslationsKept(after));
          if (faulty.status == 1) {
            EXPECT_NE(faulty.errors.find("DE."), std::string::npos) << faulty.errors;
            EXPECT_NE(faulty.errors.find("Input/output error"), std::string::npos) << faulty.errors;
            if (faulty.errors.find("as it was") != std::string::npos) {
              EXPECT_EQ(left, before);
            }
          } else if (faulty.status == 0) {
            // Failed once the change was made: said so, and it is made.
            EXPECT_NE(faulty.errors.find(": warning: "), std::string::npos) << faulty.errors;
            EXPECT_EQ(crt, Bytes(after, "DE.CRT"));
          } else {
            EXPECT_EQ(faulty.status, -1) << faulty.errors;
          }
          // The next command puts back what the interrupted one did, or tidies up after it.
          ProcessResult next = RunQuotexLang(elsewhere.path(), recover, Faults({}));
          const Files recovered = Snapshot();
          EXPECT_TRUE(recovered == before || recovered == after) << next.errors;
          EXPECT_EQ(std::filesystem::status(Dir() / "DE.CRT").permissions(), kCrtPermissions);
          ProcessResult again = RunLang(command, Faults({}));
          EXPECT_EQ(again.status, 0) << again.errors;
          EXPECT_EQ(Snapshot(), after);
        }
        std::printf("%s, %s%s: %d steps\n", command[0].c_str(), fault,
                    *links != '\0' ? " without hard links" : "", step - 1);
      }
    }
  }
}

// Runs two commands on the base at once, the first one paused at the step `step` of its own
// (by the shim) until the second has started and had `hold` to find the files taken. False when
// the first never reached that step.
bool RunTwo(const std::filesystem::path& dir, const Arguments& first, const Arguments& second,
            int step, std::chrono::milliseconds hold, ProcessResult& firstResult,
            ProcessResult& secondResult) {
  ScopedTempDir pauses;
  const std::filesystem::path pauseFile = pauses.path() / "paused";
  std::atomic<bool> ended = false;
  std::thread firstRun([&] {
    firstResult =
        RunQuotexLang(dir, first,
                      Faults({"QUOTEX_FAULT=pause", "QUOTEX_FAULT_AT=" + std::to_string(step),
                              "QUOTEX_PAUSE_FILE=" + pauseFile.string()}));
    ended = true;
  });
  bool paused = false;
  while (!ended && !(paused = std::filesystem::exists(pauseFile))) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (paused) {
    std::thread secondRun([&] { secondResult = RunQuotexLang(dir, second, Faults({})); });
    std::this_thread::sleep_for(hold);
    std::filesystem::remove(pauseFile);
    secondRun.join();
  }
  firstRun.join();
  return paused;
}

// An import started while an update is paused at any of its steps waits for it, then runs; one
// that waits too long gives up with nothing changed.
TEST_F(LangFaultTest, ASecondCommandWaitsForTheFirstAtEveryStep) {
  ProcessOptions probe;
  if (!WithIoFaults({}, probe)) GTEST_SKIP() << kNoIoFaultShim;
  const Arguments update = {"update", "*.clw", "de"},
                  import = {"import", "de.po", "de", "--charset", "cp1252"};
  Reset();
  ASSERT_EQ(RunLang(update, Faults({})).status, 0);
  const Files updated = Snapshot();
  ASSERT_EQ(RunLang(import, Faults({})).status, 0);
  const Files both = Snapshot();
  int waited = 0;
  ProcessResult first, second;
  for (int step = 1;; ++step) {
    SCOPED_TRACE("update paused at step " + std::to_string(step));
    Reset();
    if (!RunTwo(Dir(), update, import, step, std::chrono::milliseconds(60), first, second)) break;
    EXPECT_EQ(first.status, 0) << first.errors;
    EXPECT_EQ(second.status, 0) << second.errors;
    EXPECT_EQ(Snapshot(), both);
    waited += second.errors.find("waiting for another quotex-lang command") != std::string::npos;
  }
  EXPECT_GT(waited, 0);
  Reset();
  ASSERT_TRUE(RunTwo(Dir(), update, import, 2, std::chrono::seconds(4), first, second));
  EXPECT_EQ(first.status, 0) << first.errors;
  EXPECT_EQ(second.status, 1);
  EXPECT_EQ(second.errors,
            "DE.CRT: note: waiting for another quotex-lang command on DE...\n"
            "DE.CRT: error: another quotex-lang command on DE is still at work; nothing was "
            "changed (run this one again once it has finished)\n");
  EXPECT_EQ(Snapshot(), updated);
}

}  // namespace
