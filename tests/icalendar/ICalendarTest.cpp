#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "icalendar/EntryStore.h"
#include "platform/rtl/Cp949.h"
#include "platform/rtl/Files.h"
#include "tests/store/ScheduleFixture.h"

using namespace ICalendar;

namespace {

class ICalendarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Every test of this program reads and writes Seoul time.
        setenv("TZ", "Asia/Seoul", 1);
        tzset();
        Home = std::make_unique<PrivateDataHome>();
        Drives::EnsureDriveC();
    }

    TImportReport Import(const std::string& Text, bool DryRun = false, TDayRange Range = {}) {
        TEntryStore Store;
        return ImportText(Store, Text, Range, DryRun);
    }
    std::string Export(TDayRange Range = {}) {
        TEntryStore Store;
        return ExportEntries(Store, Range, "Asia/Seoul").Text;
    }

    std::string MemoPath(const std::string& Name) const {
        return Home->Path() + "/agendix/drive_c/Temp/" + Name;
    }
    RawDb Db() const { return RawDb(DatabaseFileName("BCDEMOS")); }
    // Every row, its eight fields joined by '|', in date and slot order.
    std::vector<std::string> Rows() const {
        return Db().Rows(
            "SELECT * FROM \"Agendix.DB\" ORDER BY CAST(\"Year\" AS INTEGER), "
            "CAST(\"Month\" AS INTEGER), CAST(\"Day\" AS INTEGER), \"Time\"");
    }
    // A row and its memo stored as the entry dialog stores them.
    void StoreEntry(const ScheduleRow& Row, const std::string& Memo) {
        TEntryStore Tables;  // creates the schedule table, as the program does
        Db().Insert(Row);
        WriteFile(MemoPath(Row.Memo), Memo);
    }

    std::unique_ptr<PrivateDataHome> Home;
};

// Entries of every kind leave and come back into an empty data folder unchanged, memo bytes too.
TEST_F(ICalendarTest, RoundTripIntoAnEmptyFolderKeepsRowsAndMemoBytes) {
    std::vector<std::pair<std::vector<std::string>, std::string>> Entries = {
        {{"2024", "5", "10", "09", "6", "8", "회의 준비", ""}, Utf8ToCp949("첫 줄\r\n둘째 줄\r\n")},
        {{"2024", "5", "10", "10", "8", "9", "Lunch, with; \"friends\" \\ back", ""}, ""},
        {{"2002", "3", "7", "12", "-1", "-1", "", ""}, "plain\r\n"},
        {{"2024", "2", "29", "13", "31", "31", "끝나지 않는 일정", ""}, ""},
        {{"2024", "12", "31", "14", "40", "2", "가나다라마바사아자차카타파하가나다라마바사아자차카", ""},
         Utf8ToCp949("제목이 꼭 50바이트")},
    };
    for (int H = 6; H <= 21; ++H) {
        std::string T = H < 10 ? "0" + std::to_string(H) : std::to_string(H);
        Entries.push_back({{"2024", "11", "3", T, std::to_string((H - 6) * 2),
                            std::to_string((H - 6) * 2 + 2), "slot " + T, ""},
                           ""});
    }
    for (auto& [F, Memo] : Entries) {
        std::string Y = F[0], D = F[1].size() == 2 && F[2].size() == 1 ? "0" + F[2] : F[2];
        F[7] = Y + F[1] + D + F[3] + ".txt";
        StoreEntry({F[0], F[1], F[2], F[3], F[4], F[5], F[6], F[7]}, Memo);
    }
    std::vector<std::string> Before = Rows();
    std::string Text = Export();

    PrivateDataHome Empty;
    Drives::EnsureDriveC();
    TImportReport R;
    {
        TEntryStore Store;
        R = ImportText(Store, Text, {}, false);
    }
    EXPECT_EQ(R.Imported, static_cast<int>(Entries.size()));
    EXPECT_TRUE(R.Skipped.empty() && R.Adjusted.empty()) << ImportJson(R);
    EXPECT_EQ(Rows(), Before);
    for (auto& [F, Memo] : Entries)
        EXPECT_EQ(ReadFile(Empty.Path() + "/agendix/drive_c/Temp/" + F[7]), Memo) << F[7];

    // The UIDs came along: a second export of the copy is the same calendar.
    EXPECT_EQ(Export(), Text);
}

struct TCase {
    const char* Name;
    std::string Body;
    std::vector<std::string> Rows;  // expected rows after import
    int Adjusted = 0, Skipped = 0;
};

// Files written by hand after RFC 5545: zones, recurrence, all-day, escapes, snapping and limits.
TEST_F(ICalendarTest, HandWrittenFilesBecomeTheExpectedEntries) {
    std::string Hangul40;
    for (int I = 0; I < 40; ++I) Hangul40 += "한";
    // Folded at 75 octets, in the middle of a character, as RFC 5545 allows.
    std::string Long = "SUMMARY:" + Hangul40, Folded = Long.substr(0, 75) + "\n " + Long.substr(75);
    std::string Cut = Hangul40.substr(0, 25 * 3);

    const std::string PacificZone =
        "BEGIN:VTIMEZONE\nTZID:Pacific Standard Time\nBEGIN:STANDARD\nDTSTART:16010101T020000\n"
        "TZOFFSETFROM:-0700\nTZOFFSETTO:-0800\nRRULE:FREQ=YEARLY;BYDAY=1SU;BYMONTH=11\nEND:STANDARD\n"
        "BEGIN:DAYLIGHT\nDTSTART:16010101T020000\nTZOFFSETFROM:-0800\nTZOFFSETTO:-0700\n"
        "RRULE:FREQ=YEARLY;BYDAY=2SU;BYMONTH=3\nEND:DAYLIGHT\nEND:VTIMEZONE\n";
    TDayRange Year2024;
    Year2024.HasFrom = Year2024.HasTo = true;
    Year2024.From = {2024, 1, 1};
    Year2024.To = {2024, 12, 31};
    std::vector<TCase> Cases = {
        {"IANA zone",
         VEvent("ny", "DTSTART;TZID=America/New_York:20240510T200000\nDURATION:PT90M\nSUMMARY:NY\n"),
         {"2024|5|11|09|6|9|NY|202451109.txt"}},
        {"Windows zone name without VTIMEZONE",
         VEvent("w",
                "DTSTART;TZID=W. Europe Standard Time:20240115T020000\n"
                "DTEND;TZID=W. Europe Standard Time:20240115T030000\nSUMMARY:Berlin\n"),
         {"2024|1|15|10|8|10|Berlin|202411510.txt"}},
        {"Outlook VTIMEZONE under a Windows name",
         PacificZone + VEvent("p",
                              "DTSTART;TZID=Pacific Standard Time:20240710T170000\n"
                              "DTEND;TZID=Pacific Standard Time:20240710T180000\nSUMMARY:LA\n"),
         {"2024|7|11|09|6|8|LA|202471109.txt"}},
        {"UTC and floating times",
         VEvent("u", "DTSTART:20240510T000000Z\nDTEND:20240510T010000Z\nSUMMARY:utc\n") +
             VEvent("f", "DTSTART:20240510T143000\nDTEND:20240510T150000\nSUMMARY:floating\n"),
         {"2024|5|10|09|6|8|utc|202451009.txt", "2024|5|10|14|17|18|floating|202451014.txt"}},
        {"recurrence with EXDATE and an override",
         VEvent("r",
                "DTSTART;TZID=Asia/Seoul:20240506T100000\nDTEND;TZID=Asia/Seoul:20240506T110000\n"
                "RRULE:FREQ=DAILY;COUNT=5\nEXDATE;TZID=Asia/Seoul:20240508T100000\nSUMMARY:daily\n") +
             VEvent("r",
                    "RECURRENCE-ID;TZID=Asia/Seoul:20240509T100000\nDTSTART;TZID=Asia/Seoul:20240509T150000\n"
                    "DTEND;TZID=Asia/Seoul:20240509T160000\nSUMMARY:moved\n"),
         {"2024|5|6|10|8|10|daily|20245610.txt", "2024|5|7|10|8|10|daily|20245710.txt",
          "2024|5|9|15|18|20|moved|20245915.txt", "2024|5|10|10|8|10|daily|202451010.txt"}},
        {"all-day, early, late, overnight and impossible events are skipped",
         VEvent("a", "DTSTART;VALUE=DATE:20240511\nSUMMARY:all day\n") +
             VEvent("e", "DTSTART:20240511T053000\nDTEND:20240511T063000\nSUMMARY:early\n") +
             VEvent("l", "DTSTART:20240511T220000\nDTEND:20240511T223000\nSUMMARY:late\n") +
             VEvent("o", "DTSTART:20240511T210000\nDTEND:20240512T010000\nSUMMARY:overnight\n") +
             "BEGIN:VTODO\nUID:t\nSUMMARY:todo\nEND:VTODO\n" +
             VEvent("d", "DTSTART:20240532T100000\nDTEND:20240532T110000\nSUMMARY:day 32\n") +
             VEvent("h", "DTSTART:20240510T250000\nDTEND:20240510T260000\nSUMMARY:hour 25\n"),
         {},
         0,
         7},
        {"times snap to the half hour; an end past 21:30 becomes 21:30",
         VEvent("s", "DTSTART:20240512T091500\nDTEND:20240512T094500\nSUMMARY:snap\n") +
             VEvent("z", "DTSTART:20240512T210000\nDTEND:20240513T000000\nSUMMARY:till midnight\n"),
         {"2024|5|12|09|6|8|snap|202451209.txt", "2024|5|12|21|30|31|till midnight|202451221.txt"},
         2},
        {"a long Korean title folded mid-character is cut; the full title opens the memo",
         VEvent("k", "DTSTART:20240513T100000\nDTEND:20240513T110000\n" + Folded + "\n"),
         {"2024|5|13|10|8|10|" + Cut + "|202451310.txt"},
         1},
        {"escaped commas, semicolons, backslashes and line breaks",
         VEvent("x",
                "DTSTART:20240514T100000\nDTEND:20240514T110000\nSUMMARY:a\\,b\\;c\\\\d\n"
                "DESCRIPTION:one\\ntwo\\Nthree\nX-UNKNOWN-THING;FOO=bar:baz\n"),
         {"2024|5|14|10|8|10|a,b;c\\d|202451410.txt"}},
        {"characters CP949 cannot hold become ?",
         VEvent("c", "DTSTART:20240515T100000\nDTEND:20240515T110000\nSUMMARY:smile \xF0\x9F\x98\x80\n"),
         {"2024|5|15|10|8|10|smile ?|202451510.txt"},
         1},
    };
    for (auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        PrivateDataHome Fresh;
        Drives::EnsureDriveC();
        TImportReport R = Import(ICalendarText(C.Body), false, Year2024);
        EXPECT_EQ(Rows(), C.Rows) << ImportJson(R);
        EXPECT_EQ(static_cast<int>(R.Adjusted.size()), C.Adjusted) << ImportJson(R);
        EXPECT_EQ(static_cast<int>(R.Skipped.size()), C.Skipped) << ImportJson(R);
    }
    {
        PrivateDataHome Fresh;
        Drives::EnsureDriveC();
        Import(ICalendarText(Cases[7].Body) + ICalendarText(Cases[8].Body));
        EXPECT_EQ(Cp949ToUtf8(ReadFile(Fresh.Path() + "/agendix/drive_c/Temp/202451310.txt")), Hangul40);
        EXPECT_EQ(Cp949ToUtf8(ReadFile(Fresh.Path() + "/agendix/drive_c/Temp/202451410.txt")),
                  "one\r\ntwo\r\nthree");
    }
}

// Import twice changes nothing; a changed file updates what it made; a local entry is never
// overwritten; a dry run writes nothing.
TEST_F(ICalendarTest, ImportRecognisesItsEntriesAndLeavesLocalOnesAlone) {
    std::string V1 =
        ICalendarText(VEvent("e1", "DTSTART:20240601T100000\nDTEND:20240601T110000\nSUMMARY:first\n") +
                      VEvent("e2", "DTSTART:20240601T120000\nDTEND:20240601T130000\nSUMMARY:second\n"));
    TImportReport Dry = Import(V1, true);
    EXPECT_EQ(Dry.Imported, 2);
    EXPECT_TRUE(Rows().empty());

    EXPECT_EQ(Import(V1).Imported, 2);
    TImportReport Again = Import(V1);
    EXPECT_EQ(Again.Imported + Again.Updated, 0);
    EXPECT_EQ(Again.Unchanged, 2);

    StoreEntry({"2024", "6", "1", "15", "18", "20", "mine", "20246115.txt"}, "keep");
    std::string V2 = ICalendarText(
        VEvent("e1", "DTSTART:20240601T150000\nDTEND:20240601T160000\nSUMMARY:first moved\n") +
        VEvent("e2", "DTSTART:20240601T120000\nDTEND:20240601T140000\nSUMMARY:second longer\n"));
    TImportReport R = Import(V2);
    EXPECT_EQ(R.Updated, 1);
    ASSERT_EQ(R.Skipped.size(), 1u);
    EXPECT_EQ(R.Skipped[0].Uid, "e1");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"2024|6|1|10|8|10|first|20246110.txt",
                                                "2024|6|1|12|12|16|second longer|20246112.txt",
                                                "2024|6|1|15|18|20|mine|20246115.txt"}));
    EXPECT_EQ(ReadFile(MemoPath("20246115.txt")), "keep");

    // The entry made from e2 keeps its UID through the update, and an edit by the program keeps it too.
    TEntryStore Store;
    auto E2 = Store.FindByUid("e2");
    ASSERT_TRUE(E2);
    EXPECT_EQ(E2->Entry.TiTle, "second longer");
    Db().Exec("UPDATE \"Agendix.DB\" SET \"TiTle\" = 'edited' WHERE rowid = " + IntToStr(E2->Id.Row));
    auto Edited = Store.FindByUid("e2");
    ASSERT_TRUE(Edited);
    EXPECT_EQ(Edited->Entry.TiTle, "edited");
    EXPECT_TRUE(Store.DeleteByUid("e2"));
    EXPECT_FALSE(Store.FindByUid("e2"));
}

// A memo file that cannot be written, found while staging (an updated entry's) or while putting the
// files in place (a new entry's), fails the whole import: no row changes, every memo file is as it
// was, and nothing is left behind.
TEST_F(ICalendarTest, AMemoThatCannotBeWrittenFailsTheWholeImport) {
    auto Events = [](const std::string& Title) {
        std::string Summary = "SUMMARY:" + Title + "\n";
        return ICalendarText(
            VEvent("m1", "DTSTART:20240901T100000\nDTEND:20240901T110000\nDESCRIPTION:one\n" + Summary) +
            VEvent("m2", "DTSTART:20240901T120000\nDTEND:20240901T130000\nDESCRIPTION:two\n" + Summary));
    };
    for (bool Update : {true, false}) {
        SCOPED_TRACE(Update ? "an update while staging" : "a new entry while putting in place");
        PrivateDataHome Fresh;
        Drives::EnsureDriveC();
        std::string Temp = Fresh.Path() + "/agendix/drive_c/Temp/";
        TEntryStore Tables;
        if (Update) Import(Events("first"));
        std::vector<std::string> Before = Rows();
        std::filesystem::remove(Temp + "20249112.txt");
        std::filesystem::create_directory(Temp + "20249112.txt");
        EXPECT_THROW(Import(Events("second")), EFCreateError);
        EXPECT_EQ(Rows(), Before);
        std::vector<std::string> Left;
        for (auto& E : std::filesystem::directory_iterator(Temp)) Left.push_back(E.path().filename());
        std::sort(Left.begin(), Left.end());
        std::vector<std::string> Expected = {"20249112.txt"};
        if (Update) Expected.insert(Expected.begin(), "20249110.txt");
        EXPECT_EQ(Left, Expected);
        if (Update) {
            EXPECT_EQ(ReadFile(Temp + "20249110.txt"), "one");
        }
    }
}

// Rows written by any writer get a UID; the export window and the tool's reports (counting
// events, not texts that look like one).
TEST_F(ICalendarTest, EveryRowHasAUidAndExportHonoursItsRange) {
    StoreEntry({"2024", "7", "1", "09", "6", "8", "a", "20247109.txt"}, "");
    StoreEntry({"2024", "7", "2", "09", "6", "8", "BEGIN:VEVENT", "20247209.txt"}, "BEGIN:VEVENT\r\n");
    TEntryStore Store;
    auto All = Store.ReadEntries();
    ASSERT_EQ(All.size(), 2u);
    EXPECT_NE(All[0].Id.Uid, All[1].Id.Uid);
    EXPECT_FALSE(All[0].Id.Uid.empty());
    TDayRange Second;
    Second.HasFrom = true;
    ParseCalDay("2024-07-02", Second.From);
    TExportResult R = ExportEntries(Store, Second, "Asia/Seoul");
    EXPECT_EQ(R.Exported, 1);
    EXPECT_NE(R.Text.find("UID:" + All[1].Id.Uid), std::string::npos);
    EXPECT_EQ(ExportJson(R.Exported), "{\"exported\": 1}");

    // Lines are folded at 75 octets, never inside a character.
    StoreEntry(
        {"2024", "7", "3", "09", "6", "8", "가나다라마바사아자차카타파하가나다라마바사아자차카",
         "20247309.txt"},
        Utf8ToCp949(std::string(200, 'x') + "한글 메모가 길게 이어집니다 한글 메모가 길게 이어집니다"));
    std::string Text = Export();
    size_t Start = 0;
    while (Start < Text.size()) {
        size_t End = Text.find("\r\n", Start);
        ASSERT_NE(End, std::string::npos) << "every line ends in CR LF";
        std::string Line = Text.substr(Start, End - Start);
        EXPECT_LE(Line.size(), 75u) << Line;
        if (!Line.empty()) {
            EXPECT_NE(static_cast<unsigned char>(Line[0]) & 0xC0, 0x80) << Line;
        }
        Start = End + 2;
    }
}

// What is not iCalendar fails clearly and writes nothing; what is damaged yields what can be read.
TEST_F(ICalendarTest, BadInputNeverCrashesAndNeverHalfWrites) {
    std::string Good = VEvent("g", "DTSTART:20240801T100000\nDTEND:20240801T110000\nSUMMARY:good\n");
    std::string Lf = "BEGIN:VCALENDAR\nVERSION:2.0\n" + Good + "END:VCALENDAR\n";
    std::string Cr = Lf;
    for (char& C : Cr)
        if (C == '\n') C = '\r';
    std::string Junk(4096, '\0');
    for (size_t I = 0; I < Junk.size(); ++I) Junk[I] = static_cast<char>((I * 7919) & 0xFF);
    struct {
        const char* Name;
        std::string Text;
        bool Fails;
        int Rows;
    } Cases[] = {
        {"not iCalendar", "hello, world\n", true, 0},
        {"empty", "", true, 0},
        {"binary junk", Junk, true, 0},
        {"truncated", ICalendarText(Good).substr(0, ICalendarText(Good).size() / 2), true, 0},
        {"LF line ends", Lf, false, 1},
        {"CR line ends", Cr, false, 1},
        {"no VERSION", "BEGIN:VCALENDAR\r\n" + Good + "END:VCALENDAR\r\n", false, 1},
        {"broken folding",
         ICalendarText("BEGIN:VEVENT\nUID:b\nDTSTART:20240802T100000\nSUMMARY:broken\nfold\nEND:VEVENT\n"),
         false, 1},
        {"unknown component", ICalendarText("BEGIN:EVVENT\nUID:q\nEND:EVVENT\n" + Good), false, 1},
        {"garbage values",
         ICalendarText(VEvent("v", "DTSTART:2024-08-03 10:00\nDTEND:xx\nRRULE:FREQ=NONSENSE\n")), false, 0},
    };
    for (auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        PrivateDataHome Fresh;
        Drives::EnsureDriveC();
        bool Failed = false;
        try {
            Import(C.Text);
        } catch (const EICalendarError& E) {
            Failed = true;
            EXPECT_FALSE(E.Message().empty());
        }
        EXPECT_EQ(Failed, C.Fails);
        EXPECT_EQ(static_cast<int>(Rows().size()), C.Rows);
    }

    // A line no writer should make (a megabyte, unfolded) is read whole, and quickly.
    {
        PrivateDataHome Fresh;
        Drives::EnsureDriveC();
        std::string Long(1 << 20, 'a');
        Import(ICalendarText(
            VEvent("long", "DTSTART:20240802T100000\nDTEND:20240802T110000\nDESCRIPTION:" + Long + "\n")));
        EXPECT_EQ(ReadFile(Fresh.Path() + "/agendix/drive_c/Temp/20248210.txt"), Long);
    }

    // A very large file that is not a calendar is refused without being parsed.
    std::string Big(100u << 20, 'A');
    EXPECT_THROW(ParseCalendar(Big, {}, "Asia/Seoul"), EICalendarError);
}

}  // namespace
