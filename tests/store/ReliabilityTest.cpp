#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <set>

#include "tests/store/ScheduleFixture.h"

namespace {

// Reads the numbers the writer reported, waiting at most Timeout for at least Want of them.
void ReadReports(int Fd, std::vector<int>& Reported, size_t Want, std::chrono::milliseconds Timeout) {
    auto Until = std::chrono::steady_clock::now() + Timeout;
    while (Reported.size() < Want && std::chrono::steady_clock::now() < Until) {
        int N = 0;
        ssize_t Got = read(Fd, &N, sizeof N);
        if (Got == static_cast<ssize_t>(sizeof N))
            Reported.push_back(N);
        else if (Got == 0)
            break;
    }
}

// A writer process posts rows in a loop and reports each Post that returned; it is killed in the
// middle of its work. Every reported row must be in a sound file, and the other process's Open
// must have seen each row reported before it.
TEST(Reliability, RowsWhosePostReturnedSurviveAKilledWriter) {
    PrivateDataHome Home;
    ScheduleTable()->CreateTable();
    int Pipe[2];
    ASSERT_EQ(pipe(Pipe), 0);
    pid_t Child = fork();
    ASSERT_GE(Child, 0);
    if (Child == 0) {
        close(Pipe[0]);
        try {
            auto T = ScheduleTable();
            T->Open();
            for (int I = 0;; ++I) {
                T->Append();
                T->FieldByName("Year")->SetAsString("2002");
                T->FieldByName("Month")->SetAsString("3");
                T->FieldByName("Day")->SetAsString("7");
                T->FieldByName("Title")->SetAsString("row " + std::to_string(I));
                T->Post();
                if (write(Pipe[1], &I, sizeof I) != static_cast<ssize_t>(sizeof I)) _exit(2);
            }
        } catch (...) {
            _exit(1);
        }
    }
    close(Pipe[1]);
    std::vector<int> Reported;
    auto Reader = ScheduleTable();
    int Seen = 0;
    for (size_t Round = 1; Round <= 5; ++Round) {
        ReadReports(Pipe[0], Reported, Round * 40, std::chrono::seconds(20));
        size_t Before = Reported.size();
        Reader->Close();
        Reader->Open();
        EXPECT_GE(static_cast<size_t>(Reader->RecordCount()), Before);
        EXPECT_GE(Reader->RecordCount(), Seen);
        Seen = Reader->RecordCount();
    }
    kill(Child, SIGKILL);
    int Status = 0;
    waitpid(Child, &Status, 0);
    ASSERT_TRUE(WIFSIGNALED(Status)) << "the writer ended on its own with " << WEXITSTATUS(Status);
    ReadReports(Pipe[0], Reported, SIZE_MAX, std::chrono::seconds(5));
    close(Pipe[0]);
    ASSERT_GE(Reported.size(), 200u);

    RawDb Raw(DatabaseFileName("BCDEMOS"));
    EXPECT_EQ(Raw.Rows("PRAGMA integrity_check"), std::vector<std::string>{"ok"});
    std::set<std::string> Stored;
    for (auto& T : Raw.Rows("SELECT TiTle FROM \"Agendix.DB\"")) Stored.insert(T);
    for (int I : Reported)
        EXPECT_TRUE(Stored.count("row " + std::to_string(I))) << "row " << I << " was lost";
    Reader->Close();
    Reader->Open();
    EXPECT_GE(static_cast<size_t>(Reader->RecordCount()), Reported.size());
}

}  // namespace
