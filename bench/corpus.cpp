#include "corpus.h"

#include <array>
#include <cstdarg>
#include <cstdio>
#include <stdexcept>
#include <string_view>

namespace {

// The words that texts are made of. A text is its index written in base 64 with these words as
// digits, at least three of them, so distinct indexes give distinct texts of similar length.
constexpr std::array<std::string_view, 64> kWords = {
    "customer", "invoice", "amount",   "total",    "date",    "number",   "name",     "address",
    "city",     "phone",   "balance",  "order",    "product", "price",    "quantity", "stock",
    "supplier", "payment", "account",  "region",   "status",  "notes",    "select",   "record",
    "update",   "delete",  "insert",   "print",    "report",  "list",     "browse",   "change",
    "value",    "credit",  "limit",    "discount", "tax",     "rate",     "code",     "details",
    "category", "group",   "employee", "salary",   "start",   "end",      "period",   "year",
    "month",    "week",    "search",   "filter",   "sort",    "export",   "import",   "settings",
    "file",     "folder",  "backup",   "restore",  "user",    "password", "level",    "option",
};

struct Table {
  const char* name;
  const char* prefix;
};
constexpr Table kTables[] = {
    {"Customer", "CUS"}, {"Invoice", "INV"},  {"Product", "PRO"},  {"Supplier", "SUP"},
    {"Orders", "ORD"},   {"Employee", "EMP"}, {"Payment", "PAY"},  {"Stock", "STO"},
    {"Account", "ACC"},  {"Region", "REG"},   {"Category", "CAT"}, {"Warehouse", "WAR"},
};
constexpr const char* kFields[] = {"Name",   "Number", "Address", "City",  "Balance", "Date",
                                   "Amount", "Code",   "Phone",   "Email", "Status",  "Notes"};
constexpr const char* kPictures[] = {"@s30", "@n10.2", "@d6", "@n-14.2", "@s60", "@t4", "@n6"};

class Generator {
 public:
  Generator(std::size_t distinctTexts, std::uint64_t seed)
      : distinct_(distinctTexts == 0 ? 1 : distinctTexts), state_(seed) {}

  // Appends procedures to `out` until it holds at least `bytes` bytes.
  void WriteFile(std::string& out, std::size_t bytes, std::size_t fileNumber) {
    out_ = &out;
    Module(fileNumber);
    while (out.size() < bytes) {
      switch (Below(10)) {
        case 0:
          FileDeclaration();
          break;
        case 1:
        case 2:
        case 3:
          UpdateForm();
          break;
        case 4:
        case 5:
          Browse();
          break;
        case 6:
          Report();
          break;
        default:
          SourceProcedure();
          break;
      }
    }
  }

  std::size_t Lines() const { return lines_; }
  std::size_t TextOccurrences() const { return texts_; }

 private:
  std::uint64_t Random() {  // splitmix64: the same numbers on every platform
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
  std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Random() % n); }
  const Table& AnyTable() { return kTables[Below(std::size(kTables))]; }
  const char* AnyField() { return kFields[Below(std::size(kFields))]; }

  // The next text: every text once in order first, then the frequent ones more often than the
  // rare ones, as the same captions and prompts recur all over an application.
  std::string Text() {
    ++texts_;
    if (nextNew_ < distinct_) return CorpusText(nextNew_++);
    double u = static_cast<double>(Random() >> 11) / 9007199254740992.0;
    return CorpusText(static_cast<std::size_t>(u * u * static_cast<double>(distinct_)));
  }
  // Words of a text where nobody collects them, such as a comment.
  std::string Uncollected() { return CorpusText(Below(distinct_)); }
  // A fixed text that every window has, such as a button label.
  const char* Common(const char* text) {
    ++texts_;
    return text;
  }

  void Line(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
  {
    char line[4096];
    va_list values;
    va_start(values, format);
    int length = std::vsnprintf(line, sizeof line, format, values);
    va_end(values);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof line) {
      throw std::length_error("generated line too long");
    }
    out_->append(line, static_cast<std::size_t>(length));
    out_->append("\r\n");
    ++lines_;
  }
  void Blank() {
    Line("%s", "");
  }

  void Module(std::size_t fileNumber) {
    Line("                     MEMBER('APP.clw')                       ! This is a MEMBER module");
    Blank();
    Line("                     INCLUDE('ABRESIZE.INC'),ONCE");
    Line("                     INCLUDE('ABTOOLBA.INC'),ONCE");
    Blank();
    Line("                     MAP");
    Line(
        "                       INCLUDE('APP%03zu.INC'),ONCE        !Local module procedure "
        "declarations",
        fileNumber % 1000);
    Line("                     END");
    Blank();
  }

  void FileDeclaration() {
    const Table& table = AnyTable();
    Line("%-20s FILE,DRIVER('TOPSPEED'),NAME('%s.tps'),PRE(%s),CREATE,BINDABLE,THREAD", table.name,
         table.name, table.prefix);
    Line("%-24s KEY(%s:Number),NOCASE,OPT,PRIMARY", "KeyNumber", table.prefix);
    Line("%-24s KEY(%s:Name),DUP,NOCASE", "KeyName", table.prefix);
    Line("%-24s RECORD,PRE()", "Record");
    for (const char* field : kFields) Line("%-27s STRING(30)", field);
    Line("                         END");
    Line("                     END");
    Blank();
  }

  void WindowHeader(const char* kind, const char* procedure) {
    Line("%s%s PROCEDURE                                  ! Generated from procedure template - %s",
         kind, procedure, kind);
    Blank();
    Line("CurrentTab           STRING(80)                            !");
    Line("ActionMessage        CSTRING(40)                           !");
    Line(
        "QuickWindow          WINDOW('%s'),AT(,,358,182),FONT('Microsoft Sans Serif',8,,"
        "FONT:regular,CHARSET:DEFAULT),RESIZE,CENTER,GRAY,IMM,MDI,HLP('%s%s'),SYSTEM",
        Text().c_str(), kind, procedure);
  }

  void StandardButtons() {
    Line(
        "                       BUTTON('%s'),AT(250,164,49,14),USE(?OK),LEFT,MSG('%s'),TIP('%s'),"
        "ICON('WAOK.ICO'),DEFAULT,FLAT",
        Common("&OK"), Common("Accept data and close the window"),
        Common("Accept data and close the window"));
    Line(
        "                       BUTTON('%s'),AT(303,164,49,14),USE(?Cancel),LEFT,MSG('%s'),"
        "TIP('%s'),ICON('WACANCEL.ICO'),FLAT",
        Common("&Cancel"), Common("Cancel operation"), Common("Cancel operation"));
    Line(
        "                       BUTTON('%s'),AT(4,164,49,14),USE(?Help),LEFT,ICON('WAHELP.ICO'),"
        "FLAT,MSG('See Help Window'),STD(STD:Help)",
        Common("&Help"));
    Line("                     END");
    Blank();
  }

  void UpdateForm() {
    const Table& table = AnyTable();
    WindowHeader("Update", table.name);
    Line("                       SHEET,AT(4,4,350,156),USE(?CurrentTab)");
    Line("                         TAB('%s'),USE(?Tab:1)", Text().c_str());
    std::size_t fields = 3 + Below(8);
    for (std::size_t i = 0; i < fields; ++i) {
      const char* field = AnyField();
      std::size_t y = 20 + 14 * i;
      Line("                           PROMPT('%s'),AT(8,%zu),USE(?%s:%s:Prompt),TRN",
           Text().c_str(), y, table.prefix, field);
      Line("                           ENTRY(%s),AT(61,%zu,124,10),USE(%s:%s),MSG('%s'),TIP('%s')",
           kPictures[Below(std::size(kPictures))], y, table.prefix, field, Text().c_str(),
           Text().c_str());
    }
    Line("                         END");
    Line("                       END");
    StandardButtons();
    WindowCode(table, "Update");
    Line(
        "  IF SELF.Request = ViewRecord AND NOT SELF.BatchProcessing ! Setup actions for ViewOnly");
    Line("    SELF.InsertAction = Insert:None");
    Line("  ELSE");
    Line("    SELF.CancelAction = Cancel:Cancel+Cancel:Query         ! Confirm cancel");
    Line("  END");
    Line("  ?%s:%s{PROP:Tip} = '%s'", table.prefix, AnyField(), Text().c_str());
    Line("  IF LOC:Changed");
    ContinuedMessage();
    Line("  END");
    Line("  RETURN ReturnValue");
    Blank();
  }

  void Browse() {
    const Table& table = AnyTable();
    Line("BRW1::View:Browse    VIEW(%s)", table.name);
    Line("                       PROJECT(%s:Name)", table.prefix);
    Line("                     END");
    Line(
        "Queue:Browse:1       QUEUE                       !Queue declaration for browse/combo box");
    Line("%s:Name               LIKE(%s:Name)              !List box control field", table.prefix,
         table.prefix);
    Line("                     END");
    WindowHeader("Browse", table.name);
    std::string columns;
    std::size_t count = 2 + Below(4);
    for (std::size_t i = 0; i < count; ++i) {
      columns += std::to_string(40 + 20 * Below(4)) + "L(2)|M~" + Text() + "~" +
                 kPictures[Below(std::size(kPictures))] + "@";
    }
    Line(
        "                       LIST,AT(8,30,342,124),USE(?Browse:1),HVSCROLL,FORMAT('%s'),"
        "FROM(Queue:Browse:1),IMM,MSG('%s')",
        columns.c_str(), Text().c_str());
    Line(
        "                       BUTTON('%s'),AT(144,158,49,14),USE(?Select:2),LEFT,"
        "ICON('WASELECT.ICO'),MSG('%s'),TIP('%s'),FLAT",
        Common("&Select"), Common("Select a record"), Common("Select a record"));
    Line(
        "                       BUTTON('%s'),AT(197,158,49,14),USE(?Insert:3),LEFT,"
        "ICON('WAINSERT.ICO'),FLAT",
        Common("&Insert"));
    Line("                       SHEET,AT(4,4,350,172),USE(?CurrentTab)");
    Line("                         TAB('%s'),USE(?Tab:2)", Text().c_str());
    Line("                         END");
    Line("                       END");
    StandardButtons();
    WindowCode(table, "Browse");
    Line(
        "  BRW1.Init(?Browse:1,Queue:Browse:1.ViewPosition,BRW1::View:Browse,Queue:Browse:1,"
        "Relate:%s,SELF)",
        table.name);
    Line("  BRW1.AddSortOrder(,%s:KeyName)                           ! Add the sort order",
         table.prefix);
    Line("  BRW1.AddLocator(BRW1::Sort0:Locator)                     ! Browse has a locator");
    Line("  BRW1.SetFilter('(%s:Balance > 0)')                       ! Apply filter expression",
         table.prefix);
    Line("  BRW1.AddField(%s:Name,BRW1.Q.%s:Name)                    ! Field is a hot field",
         table.prefix, table.prefix);
    Line("  Access:%s.Fetch(%s:KeyNumber)", table.name, table.prefix);
    Line("  RETURN ReturnValue");
    Blank();
  }

  void WindowCode(const Table& table, const char* kind) {
    Line("  CODE");
    Line("  GlobalResponse = ThisWindow.Run()                        ! Opens the window");
    Blank();
    Line("ThisWindow.Init PROCEDURE");
    Blank();
    Line("ReturnValue          BYTE,AUTO");
    Blank();
    Line("  CODE");
    Line("  SELF.Request = GlobalRequest                             ! Store the incoming request");
    Line("  ReturnValue = PARENT.Init()");
    Line("  IF ReturnValue THEN RETURN ReturnValue.");
    Line("  SELF.FirstField = ?%s:Name:Prompt", table.prefix);
    Line(
        "  SELF.Errors &= GlobalErrors                              ! Set this window's "
        "ErrorManager");
    Line("  CLEAR(GlobalRequest)                                     ! Clear GlobalRequest");
    Line("  SELF.AddItem(?Cancel,RequestCancelled)                   ! Add the cancel control");
    Line(
        "  Relate:%s.Open                                    ! File %s used by this procedure, so "
        "make sure it's RelationManager is open",
        table.name, table.name);
    Line("  SELF.Primary &= Relate:%s", table.name);
    Line("  SELF.Open(QuickWindow)                                   ! Open window");
    Line("  INIMgr.Fetch('%s%s',QuickWindow)              ! Restore window settings", kind,
         table.name);
    Line("  ?OK{PROP:Text} = '%s'", Text().c_str());
  }

  void ContinuedMessage() {
    std::string text = Text();
    std::size_t space = text.rfind(' ');
    Line("    CASE MESSAGE('%.*s' &|", static_cast<int>(space + 1), text.c_str());
    Line("                 '%s','%s',ICON:Question,BUTTON:Yes+BUTTON:No,BUTTON:No)",
         text.c_str() + space + 1, Text().c_str());
    Line("    OF BUTTON:Yes");
    Line("      SELF.Response = RequestCompleted");
    Line("    END");
  }

  void Report() {
    const Table& table = AnyTable();
    Line(
        "Print%s PROCEDURE                                  ! Generated from procedure template - "
        "Report",
        table.name);
    Blank();
    Line("Progress:Thermometer BYTE                                 !");
    Line("Process:View         VIEW(%s)", table.name);
    Line("                     END");
    Line(
        "Report               REPORT,AT(1000,1542,6000,7458),PRE(RPT),PAPER(PAPER:A4),"
        "FONT('Arial',10,,FONT:regular,CHARSET:ANSI),THOUS");
    Line("                       HEADER,AT(1000,1000,6000,542),USE(?Header)");
    Line(
        "                         STRING('%s'),AT(2000,100),USE(?String1),TRN,FONT(,14,,FONT:bold)",
        Text().c_str());
    std::size_t columns = 2 + Below(5);
    for (std::size_t i = 0; i < columns; ++i) {
      Line("                         STRING('%s'),AT(%zu,350),USE(?Heading%zu),TRN", Text().c_str(),
           100 + 1000 * i, i);
    }
    Line("                       END");
    Line("Detail                 DETAIL,AT(,,6000,300),USE(?Detail)");
    for (std::size_t i = 0; i < columns; ++i) {
      Line("                         STRING(%s),AT(%zu,50),USE(%s:%s),RIGHT(1)",
           kPictures[Below(std::size(kPictures))], 100 + 1000 * i, table.prefix, AnyField());
    }
    Line("                       END");
    Line("                       FOOTER,AT(1000,9000,6000,300),USE(?Footer)");
    Line("                         STRING('%s'),AT(100,50),USE(?PageLabel),TRN", Text().c_str());
    Line("                         STRING(@pPage <<<#p),AT(500,50),PAGENO,USE(?PageCount)");
    Line("                       END");
    Line("                     END");
    Line(
        "ProgressWindow       WINDOW('%s'),AT(,,142,59),FONT('Microsoft Sans Serif',8,,),CENTER,"
        "TIMER(1),GRAY,DOUBLE",
        Common("Report Progress..."));
    Line("                       PROGRESS,USE(Progress:Thermometer),AT(15,15,111,12),RANGE(0,100)");
    Line("                       STRING(''),AT(0,3,141,10),USE(?Progress:UserString),CENTER");
    Line("                       BUTTON('%s'),AT(45,42,50,15),USE(?Progress:Cancel)",
         Common("Cancel"));
    Line("                     END");
    Line("  CODE");
    Line("  Previewer.SetINIManager(INIMgr)");
    Line("  SELF.SkipPreview = GETINI('Preview','Skip%s',0,'.\\App.ini')", table.name);
    Line("  LOC:Total = FORMAT(LOC:Amount,'@n10.2')");
    Line("  RETURN ReturnValue");
    Blank();
  }

  void SourceProcedure() {
    const Table& table = AnyTable();
    Line("Process%s PROCEDURE(LONG pMode)                   ! Declare Procedure", table.name);
    Line("LOC:Message          STRING(255)");
    Line("LOC:Count            LONG");
    Line("  CODE");
    Line("  ! %s", Uncollected().c_str());
    Line("  LOC:Path = GETINI('Settings','DataPath','.\\',INIFile)");
    Line("  Access:%s.Open()", table.name);
    Line("  SET(%s:KeyName)", table.prefix);
    Line("  LOOP");
    Line("    IF Access:%s.Next() <> Level:Benign THEN BREAK.", table.name);
    Line("    IF %s:Status = 0", table.prefix);
    Line("      LOC:Message = '%s'                 ! set the 'status' message", Text().c_str());
    Line("      LOC:Count += 1");
    Line("    ELSIF %s:Date < TODAY() - 30", table.prefix);
    Line("      %s:Notes = CLIP(%s:Notes) & ' ' & FORMAT(TODAY(),'@d6')", table.prefix,
         table.prefix);
    Line("    END");
    Line("  END");
    Line("  IF ERRORCODE()");
    Line("    MESSAGE('%s','%s',ICON:Exclamation)", Text().c_str(), Text().c_str());
    Line("  END");
    Line("  IF LOC:Count > 0");
    ContinuedMessage();
    Line("  END");
    Line("  PUTINI('Settings','Last%s',LOC:Count,INIFile)", table.name);
    Line("  Access:%s.Close()", table.name);
    Line("  ! Done: '%s' finished", table.name);
    Blank();
  }

  std::string* out_ = nullptr;
  std::size_t distinct_;
  std::size_t nextNew_ = 0;
  std::uint64_t state_;
  std::size_t lines_ = 0;
  std::size_t texts_ = 0;
};

}  // namespace

std::string CorpusText(std::size_t index) {
  std::string text;
  for (int digit = 0; digit < 3 || index > 0; ++digit) {
    if (digit > 0) text += ' ';
    // Shifting each position's digit keeps texts distinct and makes their words vary.
    text += kWords[(index + 23 * static_cast<std::size_t>(digit)) % kWords.size()];
    index /= kWords.size();
  }
  text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text;
}

CorpusStats WriteCorpus(const std::filesystem::path& directory, const CorpusOptions& options) {
  Generator generator(options.distinctTexts, options.seed);
  CorpusStats stats;
  std::size_t files = options.fileCount == 0 ? 1 : options.fileCount;
  std::size_t perFile = options.totalBytes / files;
  std::string source;
  for (std::size_t i = 0; i < files; ++i) {
    source.clear();
    generator.WriteFile(source, perFile, i);
    char name[32];
    std::snprintf(name, sizeof name, "CORPUS%04zu.clw", i);
    std::FILE* file = std::fopen((directory / name).string().c_str(), "wb");
    if (file == nullptr) throw std::runtime_error("cannot create " + (directory / name).string());
    bool written = std::fwrite(source.data(), 1, source.size(), file) == source.size();
    if (std::fclose(file) != 0 || !written) throw std::runtime_error("cannot write corpus");
    stats.bytes += source.size();
  }
  stats.files = files;
  stats.lines = generator.Lines();
  stats.textOccurrences = generator.TextOccurrences();
  return stats;
}

std::string MakeSourceFile(std::size_t bytes, std::size_t distinctTexts, std::uint64_t seed) {
  Generator generator(distinctTexts, seed);
  std::string source;
  generator.WriteFile(source, bytes, 0);
  return source;
}
