#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "tests/caldav/Radicale.h"
#include "tests/store/ScheduleFixture.h"

// Two data folders ("devices") sync through one calendar of the test's Radicale, each by running
// agendix-cal as a user would; entries go in as iCalendar imports and are edited in the table the
// way the program's dialog does.

namespace {

std::string Quote(const std::string& S) {
    std::string Out = "'";
    for (char C : S) Out += C == '\'' ? std::string("'\\''") : std::string(1, C);
    return Out + "'";
}

struct TRun {
    int Status = -1;
    std::string Out, Err;
};

// A shell command's status and what it printed.
TRun Shell(const std::string& Command) {
    TRun R;
    FILE* P = popen(Command.c_str(), "r");
    char Buf[4096];
    size_t N;
    while ((N = fread(Buf, 1, sizeof Buf, P)) > 0) R.Out.append(Buf, N);
    int W = pclose(P);
    R.Status = WIFEXITED(W) ? WEXITSTATUS(W) : -1;
    return R;
}

std::string Source(const std::string& Name) {
    return std::string(AGENDIX_SOURCE) + "/tests/caldav/" + Name;
}

// A "YYYYMMDD" event at Hour, an hour long, in Seoul time.
std::string Vevent(const std::string& Uid, const std::string& Day, int Hour, const std::string& Summary,
                   const std::string& Description = "") {
    auto At = [&](int H) { return Day + (H < 10 ? "T0" : "T") + std::to_string(H) + "0000"; };
    return VEvent(Uid, "LAST-MODIFIED:20260101T000000Z\nDTSTART;TZID=Asia/Seoul:" + At(Hour) +
                           "\nDTEND;TZID=Asia/Seoul:" + At(Hour + 1) + "\nSUMMARY:" + Summary +
                           "\nDESCRIPTION:" + Description + "\n");
}

class TDevice {
  public:
    TDevice(const TCalDavAccount& A, const std::string& Url = "") {
        WriteFile(FDir / "password", A.Password + "\n");
        chmod((FDir / "password").c_str(), 0600);
        Account(Url.empty() ? A.Url : Url, A.User);
    }
    TRun Cal(const std::string& Args) const {
        TRun R = Shell("env XDG_DATA_HOME=" + Quote(FDir / "data") +
                       " XDG_CONFIG_HOME=" + Quote(FDir / "config") + " TZ=Asia/Seoul LC_ALL=C LANG=C " +
                       Quote(AGENDIX_CAL) + " " + Args + " 2>" + Quote(FDir / "stderr"));
        R.Err = ReadFile(FDir / "stderr");
        return R;
    }
    void Account(const std::string& Url, const std::string& User) const {
        TRun R = Cal("account --url " + Quote(Url) + " --user " + Quote(User) + " --password-file " +
                     Quote(FDir / "password"));
        ASSERT_EQ(R.Status, 0) << R.Err;
    }
    void Import(const std::string& Events) const {
        WriteFile(FDir / "in.ics", ICalendarText(Events));
        TRun R = Cal("import " + Quote(FDir / "in.ics"));
        ASSERT_EQ(R.Status, 0) << R.Err;
    }
    // The sync's JSON report; the run must succeed.
    std::string Sync() const {
        TRun R = Cal("sync --json");
        EXPECT_EQ(R.Status, 0) << R.Err;
        return R.Out;
    }
    void Sql(const std::string& Statement) const {
        RawDb(FDir / "data/agendix/BCDEMOS.sqlite").Exec(Statement);
    }
    // "Year-Month-Day Time Start-End Title" of every entry, ordered.
    std::vector<std::string> Rows() const {
        return RawDb(FDir / "data/agendix/BCDEMOS.sqlite")
            .Rows(
                "SELECT Year||'-'||Month||'-'||Day||' '||Time||' '||StartTime||'-'||EndTime||' '||TiTle "
                "FROM \"Agendix.DB\" ORDER BY 1");
    }
    std::vector<std::string> Conflicts() const {
        std::vector<std::string> Out;
        std::error_code Ec;
        for (const auto& E : std::filesystem::directory_iterator(FDir / "data/agendix/conflicts", Ec))
            Out.push_back(ReadFile(E.path()));
        return Out;
    }
    std::string Path(const std::string& Name) const { return FDir / Name; }

  private:
    TempDir FDir;
};

// The counting proxy in front of Radicale (proxy.py tells its options).
class TProxy {
  public:
    explicit TProxy(const std::string& Upstream, const std::string& Options = "") {
        FPid = std::atoi(Shell("/usr/bin/python3 " + Quote(Source("proxy.py")) + " " + Quote(Upstream) + " " +
                               Quote(FDir.Path()) + " " + Options + " >/dev/null 2>&1 & echo $!")
                             .Out.c_str());
        for (int I = 0; I < 100 && Port.empty(); ++I) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::error_code Ec;
            std::string S = std::filesystem::exists(FDir / "port", Ec) ? ReadFile(FDir / "port") : "";
            if (S.find('\n') != std::string::npos) Port = S.substr(0, S.find('\n'));
        }
    }
    ~TProxy() {
        if (FPid > 0) kill(FPid, SIGTERM);
    }
    std::string Url(const std::string& Path) const { return "http://127.0.0.1:" + Port + Path; }
    int Count(const std::string& Method) const {
        std::string S = ReadFile(FDir / "stats");
        size_t At = S.find("\"" + Method + "\": ");
        return At == std::string::npos ? 0 : std::atoi(S.c_str() + At + Method.size() + 4);
    }
    void Resume() const { WriteFile(FDir / "up", ""); }
    std::string Port;

  private:
    TempDir FDir;
    int FPid = -1;
};

std::string PathOf(const std::string& Url) {
    size_t Slash = Url.find('/', Url.find("//") + 2);
    return Url.substr(Slash);
}

void ExpectCounts(const std::string& Json, const std::string& Counts) {
    EXPECT_EQ(Json.substr(0, Json.find(", \"conflicts\"")), "{" + Counts) << Json;
}

}  // namespace

// Both with RFC 6578 sync tokens and, through a proxy that hides them, with ctag and ETags only.
TEST(Sync, TwoFoldersAgreeBothWays) {
    REQUIRE_RADICALE();
    for (bool Tokens : {true, false}) {
        TCalDavAccount A = FreshCalendar(Tokens ? "" : "-ctag");
        TProxy Proxy(std::getenv("AGENDIX_CALDAV_URL"), "--no-sync-token");
        const std::string Url = Tokens ? A.Url : Proxy.Url(PathOf(A.Url));
        TDevice One(A, Url), Two(A, Url);
        One.Import(Vevent("u1@t", "20260302", 9, "회의", "첫 줄\\n둘째 줄") +
                   Vevent("u2@t", "20260302", 14, "점심") + Vevent("u3@t", "20260303", 21, "Late"));
        ExpectCounts(One.Sync(), "\"pushed\": 3, \"pulled\": 0, \"deleted_remote\": 0, \"deleted_local\": 0");
        ExpectCounts(Two.Sync(), "\"pushed\": 0, \"pulled\": 3, \"deleted_remote\": 0, \"deleted_local\": 0");
        EXPECT_EQ(One.Rows(), Two.Rows());
        ASSERT_EQ(Two.Rows().size(), 3u);

        Two.Sql("UPDATE \"Agendix.DB\" SET TiTle = '회의 (변경)' WHERE Time = '09'");
        Two.Sql("DELETE FROM \"Agendix.DB\" WHERE Time = '14'");
        ExpectCounts(Two.Sync(), "\"pushed\": 1, \"pulled\": 0, \"deleted_remote\": 1, \"deleted_local\": 0");
        ExpectCounts(One.Sync(), "\"pushed\": 0, \"pulled\": 1, \"deleted_remote\": 0, \"deleted_local\": 1");
        EXPECT_EQ(One.Rows(), Two.Rows());

        One.Sql("DELETE FROM \"Agendix.DB\" WHERE Time = '21'");
        One.Import(Vevent("u4@t", "20260304", 7, "New"));
        ExpectCounts(One.Sync(), "\"pushed\": 1, \"pulled\": 0, \"deleted_remote\": 1, \"deleted_local\": 0");
        ExpectCounts(Two.Sync(), "\"pushed\": 0, \"pulled\": 1, \"deleted_remote\": 0, \"deleted_local\": 1");
        EXPECT_EQ(One.Rows(), Two.Rows());
        EXPECT_EQ(Two.Rows(),
                  (std::vector<std::string>{"2026-3-2 09 6-8 회의 (변경)", "2026-3-4 07 2-4 New"}));
        ExpectCounts(One.Sync(), "\"pushed\": 0, \"pulled\": 0, \"deleted_remote\": 0, \"deleted_local\": 0");
        if (!Tokens) {
            EXPECT_EQ(Proxy.Count("REPORT"), 3) << "one multiget per sync that found changes";
        }
    }
}

// Changed on both sides: the later change wins on both devices, the other is kept as a file.
TEST(Sync, ConflictKeepsTheLaterChange) {
    REQUIRE_RADICALE();
    for (bool LaterHere : {true, false}) {
        TCalDavAccount A = FreshCalendar(LaterHere ? "-here" : "-there");
        TDevice One(A), Two(A);
        One.Import(Vevent("c1@t", "20260310", 10, "Original"));
        One.Sync();
        Two.Sync();
        const TDevice& Early = LaterHere ? One : Two;
        const TDevice& Late = LaterHere ? Two : One;
        Early.Sql("UPDATE \"Agendix.DB\" SET TiTle = 'Early'");
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        Late.Sql("UPDATE \"Agendix.DB\" SET TiTle = 'Late'");
        // One reaches the server first; Two finds the conflict.
        One.Sync();
        std::string Json = Two.Sync();
        EXPECT_NE(Json.find(std::string("\"winner\": ") + (LaterHere ? "\"local\"" : "\"server\"")),
                  std::string::npos)
            << Json;
        One.Sync();
        EXPECT_EQ(One.Rows(), (std::vector<std::string>{"2026-3-10 10 8-10 Late"}));
        EXPECT_EQ(Two.Rows(), One.Rows());
        auto Kept = Two.Conflicts();
        ASSERT_EQ(Kept.size(), 1u);
        EXPECT_NE(Kept[0].find("SUMMARY:Early"), std::string::npos) << Kept[0];
    }
}

// An independent client, Python's caldav package, writes and reads the same calendar.
TEST(Sync, IndependentClientBothWays) {
    REQUIRE_RADICALE();
    TCalDavAccount A = FreshCalendar();
    TDevice One(A);
    auto Python = [&](const std::string& Args) {
        TRun R = Shell("/usr/bin/python3 " + Quote(Source("client.py")) + " " + Quote(A.Url) + " " +
                       Quote(A.User) + " " + Quote(A.Password) + " " + Args);
        EXPECT_EQ(R.Status, 0) << Args;
        return R.Out;
    };
    Python("put py-1 '치과 예약' '2026-04-01 15:00' '2026-04-01 16:30' '보험증 챙기기'");
    One.Import(Vevent("ag-1@t", "20260402", 8, "Standup", "line one\\nline two"));
    ExpectCounts(One.Sync(), "\"pushed\": 1, \"pulled\": 1, \"deleted_remote\": 0, \"deleted_local\": 0");
    EXPECT_EQ(One.Rows(),
              (std::vector<std::string>{"2026-4-1 15 18-21 치과 예약", "2026-4-2 08 4-6 Standup"}));
    TRun Memo = One.Cal("export -");
    EXPECT_NE(Memo.Out.find("DESCRIPTION:보험증 챙기기"), std::string::npos) << Memo.Out;

    std::string Listed = Python("list");
    EXPECT_NE(Listed.find(
                  "\"summary\": \"Standup\", \"start\": \"2026-04-02 08:00\", \"end\": \"2026-04-02 09:00\", "
                  "\"description\": \"line one\\nline two\""),
              std::string::npos)
        << Listed;
}

TEST(Sync, RefusedPasswordsEndWithStatusOne) {
    REQUIRE_RADICALE();
    TCalDavAccount A = FreshCalendar();
    TDevice One(A);
    for (auto [File, Password, Mode, Says] :
         {std::tuple{"wrong", std::string("not-the-password"), 0600, "refused the user name or password"},
          {"open", A.Password, 0644, "chmod 600"}}) {
        WriteFile(One.Path(File), Password + "\n");
        chmod(One.Path(File).c_str(), Mode);
        TRun R = One.Cal("sync --password-file " + Quote(One.Path(File)));
        EXPECT_EQ(R.Status, 1) << File;
        EXPECT_NE(R.Err.find(Says), std::string::npos) << R.Err;
        EXPECT_TRUE(R.Out.empty());
    }
    TRun Saved = One.Cal("account --url " + Quote(A.Url) + " --user " + Quote(A.User) + " --password-file " +
                         Quote(One.Path("wrong")));
    EXPECT_EQ(Saved.Status, 1) << "an account that does not work is not saved";
    EXPECT_EQ(One.Sync().substr(0, 11), "{\"pushed\": ");
    const std::string Conf = ReadFile(One.Path("config/agendix/sync.conf"));
    EXPECT_EQ(Conf.find(A.Password), std::string::npos) << "no password in the configuration";
    struct stat St {};
    stat(One.Path("config/agendix/sync.conf").c_str(), &St);
    EXPECT_EQ(St.st_mode & 0777, 0600u);
}

// An entry the server will not take is reported and offered again next time; the others go up.
TEST(Sync, AnEntryTheServerRefusesIsSkipped) {
    REQUIRE_RADICALE();
    TCalDavAccount A = FreshCalendar();
    TProxy Proxy(std::getenv("AGENDIX_CALDAV_URL"), "--refuse refused");
    TDevice One(A, Proxy.Url(PathOf(A.Url)));
    One.Import(Vevent("fine@t", "20260601", 10, "Fine") + Vevent("refused@t", "20260601", 11, "Not taken"));
    for (int Run = 0; Run < 2; ++Run) {
        const std::string Json = One.Sync();
        ExpectCounts(Json, std::string("\"pushed\": ") + (Run ? "0" : "1") +
                               ", \"pulled\": 0, \"deleted_remote\": 0, \"deleted_local\": 0");
        EXPECT_NE(Json.find("\"summary\": \"Not taken\", \"reason\": \"the server refused this entry (409)"),
                  std::string::npos)
            << Json;
    }
    EXPECT_EQ(Proxy.Count("PUT"), 3);
}

// Many entries go up through a server that goes away mid-run: status 1, nothing lost, the next
// run completes, and a run with nothing changed sends no PUT. Radicale takes tens of milliseconds
// per PUT, so CI sends 300; AGENDIX_SYNC_ENTRIES=1000 runs the full trial.
TEST(Sync, ServerLostMidRunThenCompletesAndNothingChangedMeansNoWrites) {
    REQUIRE_RADICALE();
    const char* Env = std::getenv("AGENDIX_SYNC_ENTRIES");
    const int Count = Env ? std::atoi(Env) : 300;
    TCalDavAccount A = FreshCalendar();
    TProxy Proxy(std::getenv("AGENDIX_CALDAV_URL"), "--die-after 12");
    ASSERT_FALSE(Proxy.Port.empty());
    TDevice One(A, Proxy.Url(PathOf(A.Url))), Two(A);
    std::string Events;
    for (int I = 0; I < Count; ++I) {
        char Day[16];
        std::snprintf(Day, sizeof Day, "2026%02d%02d", 1 + I / 16 / 28, 1 + I / 16 % 28);
        Events += Vevent("n" + std::to_string(I) + "@t", Day, 6 + I % 16, "Entry " + std::to_string(I));
    }
    One.Import(Events);
    TRun Broken = One.Cal("sync --json");
    EXPECT_EQ(Broken.Status, 1);
    EXPECT_NE(Broken.Err.find("cannot reach the server"), std::string::npos) << Broken.Err;
    EXPECT_EQ(One.Rows().size(), static_cast<size_t>(Count));

    Proxy.Resume();
    std::string Json = One.Sync();
    EXPECT_NE(Json.find("\"conflicts\": [], \"skipped\": []"), std::string::npos) << Json;
    EXPECT_EQ(Proxy.Count("PUT"), Count) << "every entry went up once";
    ExpectCounts(One.Sync(), "\"pushed\": 0, \"pulled\": 0, \"deleted_remote\": 0, \"deleted_local\": 0");
    EXPECT_EQ(Proxy.Count("PUT"), Count);
    EXPECT_EQ(Proxy.Count("DELETE"), 0);
    ExpectCounts(Two.Sync(), "\"pushed\": 0, \"pulled\": " + std::to_string(Count) +
                                 ", \"deleted_remote\": 0, \"deleted_local\": 0");
    EXPECT_EQ(One.Rows(), Two.Rows());
}
