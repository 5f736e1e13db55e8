// The commands of quotex-lang that write, failed or killed at every step that changes the file
// system (by the I/O fault shim): no translation is ever lost, and the next command on the files
// brings them back to what an uninterrupted run leaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
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
    // The PO file's dates come from the CRT file and the clock: the same in every run.
    std::filesystem::last_write_time(Dir() / "DE.CRT", std::filesystem::file_time_type());
    WriteFile("DE.OBS", Crt(kObsolete));
    WriteFile("DE.BAS", Bas(kCrt));
    WriteFile("DE.LST", "Customer List\r\n");
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

TEST_F(LangFaultTest, NoStepOfACommandThatWritesLosesATranslation) {
  ProcessOptions probe;
  if (!WithIoFaults({}, probe)) GTEST_SKIP() << kNoIoFaultShim;
  const Arguments commands[] = {{"update", "*.clw", "de"},
                                {"import", "de.po", "de", "--charset", "cp1252"},
                                {"export", "de", "--sources", "*.clw"}};
  for (const Arguments& command : commands) {
    Reset();
    const Files before = Snapshot();
    ProcessOptions epoch;
    epoch.environment = {kEpoch};
    ProcessResult clean = RunLang(command, epoch);
    ASSERT_EQ(clean.status, 0) << clean.errors;
    const Files after = Snapshot();
    for (const char* fault : {"kill", "fail"}) {
      for (int step = 1;; ++step) {
        SCOPED_TRACE(command[0] + ", " + fault + " at step " + std::to_string(step));
        Reset();
        ProcessOptions options;
        WithIoFaults({std::string("QUOTEX_FAULT=") + fault,
                      "QUOTEX_FAULT_AT=" + std::to_string(step), kEpoch},
                     options);
        ProcessResult faulty = RunLang(command, options);
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
        } else {
          EXPECT_EQ(faulty.status, -1) << faulty.errors;
        }
        // The next command puts back what the interrupted one did, or tidies up after it.
        ProcessResult next = RunLang({"check", "de"});
        const Files recovered = Snapshot();
        EXPECT_TRUE(recovered == before || recovered == after) << next.errors;
        ProcessResult again = RunLang(command, epoch);
        EXPECT_EQ(again.status, 0) << again.errors;
        EXPECT_EQ(Snapshot(), after);
      }
    }
  }
}

}  // namespace
