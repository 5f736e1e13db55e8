#include "translation/po_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/test_support.h"

using namespace std::string_literals;

namespace {

PoEntry Entry(std::string id, std::string translation, std::optional<std::string> context = {}) {
  PoEntry entry;
  entry.id = std::move(id);
  entry.translation = std::move(translation);
  entry.context = std::move(context);
  return entry;
}

// The entries as one comparable text each: [context|]id=translation, flags after.
std::vector<std::string> Described(const std::vector<PoEntry>& entries) {
  std::vector<std::string> described;
  for (const PoEntry& entry : entries) {
    std::string text =
        (entry.context ? *entry.context + "|" : "") + entry.id + "=" + entry.translation;
    if (entry.fuzzy) text += " fuzzy";
    if (entry.plural) {
      text += " plural " + entry.pluralId;
      for (const std::string& form : entry.pluralTranslations) text += "/" + form;
    }
    described.push_back(text);
  }
  return described;
}

// "LINE: MESSAGE" per problem.
std::vector<std::string> ProblemsOf(const PoDocument& po) {
  std::vector<std::string> problems;
  for (const Diagnostic& problem : po.problems) {
    problems.push_back(std::to_string(problem.line) + ": " + problem.message);
  }
  return problems;
}

PoHeader Header(std::string project, std::optional<std::string> language, std::string codePage) {
  PoHeader header;
  header.projectName = std::move(project);
  header.revisionDate = "2024-05-01 12:00+0000";
  header.language = std::move(language);
  header.codePage = std::move(codePage);
  return header;
}

const PoHeader kHeader = Header("TEXTS", "de", "cp1252");

TEST(PoFileTest, WritesAHeaderAndEntriesAsGettextDoes) {
  PoEntry fuzzy = Entry("Cancel", "Abbrechen");
  fuzzy.fuzzy = true;
  EXPECT_EQ(WritePo(kHeader, {Entry("&OK", ""), Entry("Say \"hi\"\\", "Sag \"hallo\""),
                              Entry("a\tb\r\a\b\f\v\x01\x1F\x7F"
                                    "9",
                                    "x", "ctx"),
                              Entry("Line\nNext\n",
                                    "Zeile\nN\xC3\xA4"
                                    "chste"),
                              fuzzy}),
            "msgid \"\"\n"
            "msgstr \"\"\n"
            "\"Project-Id-Version: TEXTS\\n\"\n"
            "\"PO-Revision-Date: 2024-05-01 12:00+0000\\n\"\n"
            "\"Last-Translator: \\n\"\n"
            "\"Language-Team: \\n\"\n"
            "\"Language: de\\n\"\n"
            "\"MIME-Version: 1.0\\n\"\n"
            "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
            "\"Content-Transfer-Encoding: 8bit\\n\"\n"
            "\"X-Quotex-Code-Page: cp1252\\n\"\n"
            "\n"
            "msgid \"&OK\"\n"
            "msgstr \"\"\n"
            "\n"
            "msgid \"Say \\\"hi\\\"\\\\\"\n"
            "msgstr \"Sag \\\"hallo\\\"\"\n"
            "\n"
            "msgctxt \"ctx\"\n"
            "msgid \"a\\tb\\r\\a\\b\\f\\v\\001\\037\\1779\"\n"
            "msgstr \"x\"\n"
            "\n"
            "msgid \"\"\n"
            "\"Line\\n\"\n"
            "\"Next\\n\"\n"
            "msgstr \"\"\n"
            "\"Zeile\\n\"\n"
            "\"N\xC3\xA4"
            "chste\"\n"
            "\n"
            "#, fuzzy\n"
            "msgid \"Cancel\"\n"
            "msgstr \"Abbrechen\"\n");
}

TEST(PoFileTest, KeepsHeaderValuesOnOneLine) {
  std::string po = WritePo(Header("a\nLanguage: xx", std::nullopt, ""), {});
  EXPECT_NE(po.find("\"Project-Id-Version: a Language: xx\\n\"\n"), std::string::npos);
  EXPECT_EQ(po.find("\"Language:"), std::string::npos);
}

TEST(PoFileTest, ReadsWhatEditorsWrite) {
  PoDocument po = ReadPo(
      "\xEF\xBB\xBF# Translation of TEXTS\r\n"
      "#, fuzzy\r\n"
      "msgid \"\"\r\n"
      "msgstr \"\"\r\n"
      "\"Content-Type: text/plain; charset=utf-8\\n\"\r\n"
      "\r\n"
      "#. a comment for translators\n"
      "#: form.clw:12 form.clw:40\n"
      "#, c-format, fuzzy\n"
      "#| msgid \"Save the file\"\n"
      "msgid \"Save\"\n"
      "msgstr \"Sichern\"\n"
      "msgctxt \"button\"\n"
      "msgid \"Save\"\n"
      "msgstr \"\"\n"
      "  \"Spei\" \"chern\"\n"
      "\"\"\n"
      "\n"
      "#, fuzzy\n"
      "#~ msgid \"Old\"\n"
      "#~ msgstr \"Alt\"\n"
      "\n"
      "msgid \"\\a\\b\\t\\n\\v\\f\\r\\\\\\\"\\'\\?\\101\\x42\\x043\\7\"\n"
      "msgstr \"\xC3\xA9\\303\\251\\xc3\\xa9\"\n"
      "\n"
      "msgid \"%d file\"\n"
      "msgid_plural \"%d files\"\n"
      "msgstr[0] \"%d Datei\"\n"
      "msgstr[1] \"%d Dateien\"\n");
  EXPECT_EQ(ProblemsOf(po), std::vector<std::string>{});
  EXPECT_EQ(Described(po.entries), (std::vector<std::string>{
                                       "Save=Sichern fuzzy",
                                       "button|Save=Speichern",
                                       "\a\b\t\n\v\f\r\\\"'?ABC\x07=\xC3\xA9\xC3\xA9\xC3\xA9",
                                       "%d file=%d Datei plural %d files/%d Datei/%d Dateien",
                                   }));
  EXPECT_EQ(po.entries[1].line, 14u);  // of its msgid
  EXPECT_EQ(po.entries[1].translationLine, 15u);
  EXPECT_EQ(PoHeaderField(po.header + "x-quotex-code-page:  cp850 \n", kCodePageField), "cp850");
}

TEST(PoFileTest, ReportsWhatTheFormatDoesNotAllow) {
  const struct {
    std::string file;
    std::vector<std::string> problems;
  } cases[] = {
      {"msgid \"a\nmsgstr \"\"\n", {"1: string without its closing quote"}},
      {"msgid \"a\"\nmsgstr \"b\\\"\n", {"2: string without its closing quote"}},
      {"msgid \"a\"\nmsgtxt \"b\"\n", {"1: msgid without msgstr", "2: unknown keyword 'msgtxt'"}},
      {"msgid \"a\\q\"\nmsgstr \"\"\n", {"1: invalid escape sequence '\\q'"}},
      {"msgid \"a\\x\"\nmsgstr \"\"\n", {"1: invalid escape sequence '\\x'"}},
      {"msgid \"a\\400\"\nmsgstr \"\"\n", {"1: invalid escape sequence '\\400'"}},
      {"msgid \"a\\x100\"\nmsgstr \"\"\n", {"1: invalid escape sequence '\\x100'"}},
      {"msgid \"a\"\nmsgstr \"\\0\"\n", {"2: string holds a NUL (\\0)"}},
      {"msgid \"a\\x00\"\nmsgstr \"\"\n", {"1: string holds a NUL (\\x00)"}},
      {"msgid \"a\0\"\nmsgstr \"\"\n"s, {"1: line holds a NUL byte"}},
      {"msgid \"a\"\n\nmsgid \"b\"\nmsgstr \"\"\n", {"1: msgid without msgstr"}},
      {"msgid \"a\"\n# comment\nmsgstr \"\"\n",
       {"1: msgid without msgstr", "3: msgstr out of place: it follows an entry's msgid"}},
      {"msgctxt \"c\"\nmsgstr \"\"\n",
       {"1: msgctxt without msgid", "2: msgstr out of place: it follows an entry's msgid"}},
      {"msgid \"a\"\nmsgstr \"\"\nmsgstr \"b\"\n",
       {"3: msgstr out of place: it follows an entry's msgid"}},
      {"msgid \"a\"\nmsgstr \"\"\n\nmsgid \"a\"\nmsgstr \"b\"\n",
       {"4: duplicate message definition; the first is on line 1"}},
      {"msgctxt \"x\"\nmsgid \"a\"\nmsgstr \"\"\nmsgctxt \"x\"\nmsgid \"a\"\nmsgstr \"\"\n",
       {"5: duplicate message definition; the first is on line 2"}},
      {"msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n",
       {"1: the header declares charset 'ISO-8859-1'; only UTF-8 files are read (msgconv "
        "--to-code=UTF-8 converts)"}},
      {"msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ASCII\\n\"\n"
       "msgid \"a\"\nmsgstr \"\xC3\xA9\"\n",
       {"3: a byte beyond ASCII in a file whose header declares ASCII"}},
      {"msgid \"a\"\nmsgstr \"\\351t\\351\"\n", {"1: invalid UTF-8 in a string of this entry"}},
      {"\"a\"\nmsgid \"a\"\nmsgstr \"\"\n", {"1: string without a keyword before it"}},
      {"msgid \"a\" x\nmsgstr \"\"\n", {"1: unexpected text after the string: 'x'"}},
      {"msgid\nmsgstr \"\"\n", {"1: keyword without its string"}},
      {"msgid \"a\"\nmsgid_plural \"b\"\nmsgstr[1] \"\"\n",
       {"1: msgid without msgstr", "3: 'msgstr[1]' where msgstr[0] belongs"}},
      {"msgid \"a\"\nmsgstr[0] \"\"\n",
       {"1: msgid without msgstr", "2: 'msgstr[0]' without msgid_plural"}},
      {"msgid \"a\"\nmsgid_plural \"b\"\nmsgstr \"\"\n",
       {"1: msgid without msgstr", "3: a plural entry has msgstr[0], msgstr[1], ..."}},
  };
  for (const auto& c : cases) EXPECT_EQ(ProblemsOf(ReadPo(c.file)), c.problems) << c.file;
}

TEST(PoFileTest, AcceptsTheTemplatesCharsetAndAscii) {
  for (const char* charset : {"CHARSET", "ASCII", "UTF-8", "utf-8"}) {
    std::string file =
        "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=" + std::string(charset) +
        "\\n\"\nmsgid \"a\"\nmsgstr \"b\"\n";
    PoDocument po = ReadPo(file);
    EXPECT_EQ(ProblemsOf(po), std::vector<std::string>{}) << charset;
    EXPECT_EQ(Described(po.entries), std::vector<std::string>{"a=b"}) << charset;
  }
}

TEST(PoFileTest, ReadsBackWhatItWrites) {
  PoEntry plural = Entry("%d file", "%d Datei");
  plural.plural = true;
  plural.pluralId = "%d files";
  plural.pluralTranslations = {"%d Datei", "%d Dateien"};
  PoEntry fuzzy = Entry("Cancel", "Abbrechen\n", "");
  fuzzy.fuzzy = true;
  std::vector<PoEntry> entries = {Entry("&OK", ""),
                                  Entry("a\tb\r\a\b\f\v\x01\x1F\x7F\"\\ \xC3\xA9", "x\ny\n\nz"),
                                  Entry("", "empty", ""),
                                  Entry("\n", "\n\n", "c\n"),
                                  fuzzy,
                                  plural};
  PoDocument po = ReadPo(WritePo(kHeader, entries));
  EXPECT_EQ(ProblemsOf(po), std::vector<std::string>{});
  EXPECT_EQ(Described(po.entries), Described(entries));
}

// msgfmt, where it is installed, accepts what the writer writes without a warning.
#ifndef _WIN32
TEST(PoFileTest, WritesWhatMsgfmtChecksWithoutComplaint) {
  if (std::system("msgfmt --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no msgfmt";
  ScopedTempDir dir;
  WriteBytes(dir / "texts.po",
             WritePo(kHeader, {Entry("&OK", "&OK"), Entry("Save", ""),
                               Entry("Save", "Sichern", "Save #2"), Entry("", "", "")}));
  std::string command = "msgfmt --check --statistics -o " + (dir / "texts.mo") + " " +
                        (dir / "texts.po") + " 2>" + (dir / "messages");
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadBytes(dir / "messages"), "2 translated messages, 2 untranslated messages.\n");
}
#endif

}  // namespace
