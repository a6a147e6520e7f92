// Export and import of 100,000 entries, each beside libical alone doing its part of the same
// work on the same calendar: serialising it (export) and parsing it (import). One more row shows
// the file system's share of an import into an empty folder: making its memo files and no more.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <libical/ical.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "icalendar/EntryStore.h"
#include "platform/rtl/Cp949.h"
#include "platform/rtl/Dates.h"
#include "platform/rtl/Files.h"
#include "store/DBTables.h"
#include "store/Schedule.h"

using namespace ICalendar;

namespace {

int GRows = 10000;
int Count() {
    return GRows;
}

void UseFolder(const std::string& Folder) {
    setenv("XDG_DATA_HOME", Folder.c_str(), 1);
    Drives::EnsureDriveC();
}

// Sixteen entries a day from 1 January 2000, each with a two-line Korean memo, written as the
// program writes them, made once and kept (removing many files slows making new ones); and the
// calendar they export to.
struct World {
    std::string Folder, Calendar;
    World() {
        setenv("TZ", "Asia/Seoul", 1);
        Folder = Bench::DataRoot() + "/icalendar-" + std::to_string(Count());
        if (!std::filesystem::exists(Folder)) {
            std::string Making = Folder + "-making";
            std::filesystem::remove_all(Making);
            std::filesystem::create_directories(Making);
            UseFolder(Making);
            Fill(Making);
            std::filesystem::rename(Making, Folder);
        }
        UseFolder(Folder);
        TEntryStore Store;
        Calendar = ExportEntries(Store, {}, "Asia/Seoul").Text;
    }
    static void Fill(const std::string& Folder) {
        TEntryStore Store;
        TQuery Q(nullptr);
        Q.SetDatabaseName("BCDEMOS");
        Q.SQL()->Add("INSERT INTO \"Agendix.DB\" VALUES (:Y, :M, :D, :T, :S, :E, :Ti, :F)");
        std::string Memo = Utf8ToCp949("준비물: 노트북, 자료\r\n장소: 3층 회의실\r\n");
        {
            TTransaction T(Q);
            TDateTime Day = EncodeDate(2000, 1, 1);
            for (int I = 0; I < Count(); ++I) {
                uint16_t Y, M, D;
                DecodeDate(Day + I / 16, Y, M, D);
                int H = 6 + I % 16;
                AnsiString Time = H < 10 ? "0" + IntToStr(H) : IntToStr(H);
                AnsiString Name = Schedule::MemoFileName(IntToStr(Y), IntToStr(M), IntToStr(D), Time);
                Q.ParamByName("Y")->SetAsString(IntToStr(Y));
                Q.ParamByName("M")->SetAsString(IntToStr(M));
                Q.ParamByName("D")->SetAsString(IntToStr(D));
                Q.ParamByName("T")->SetAsString(Time);
                Q.ParamByName("S")->SetAsString(IntToStr((H - 6) * 2));
                Q.ParamByName("E")->SetAsString(IntToStr((H - 6) * 2 + 2));
                Q.ParamByName("Ti")->SetAsString("주간 회의 " + IntToStr(I));
                Q.ParamByName("F")->SetAsString(Name);
                Q.ExecSQL();
                WriteFile(Folder + "/agendix/drive_c/Temp/" + Name, Memo);
            }
            T.Commit();
        }
    }
    static void WriteFile(const std::string& Path, const std::string& Bytes) {
        FILE* F = std::fopen(Path.c_str(), "wb");
        std::fwrite(Bytes.data(), 1, Bytes.size(), F);
        std::fclose(F);
    }
};

World& TheWorld() {
    static World W;
    setenv("XDG_DATA_HOME", W.Folder.c_str(), 1);
    return W;
}

void Export(benchmark::State& State) {
    TheWorld();
    TEntryStore Store;
    for (auto _ : State) benchmark::DoNotOptimize(ExportEntries(Store, {}, "Asia/Seoul").Exported);
    State.counters["entries"] = Count();
}

void LibicalSerialise(benchmark::State& State) {
    World& W = TheWorld();
    icalcomponent* Cal = icalparser_parse_string(W.Calendar.c_str());
    for (auto _ : State) {
        char* Text = icalcomponent_as_ical_string_r(Cal);
        benchmark::DoNotOptimize(Text);
        free(Text);
    }
    icalcomponent_free(Cal);
}

// Into an empty data folder: every event becomes a row and a memo file.
void ImportNew(benchmark::State& State) {
    World& W = TheWorld();
    for (auto _ : State) {
        State.PauseTiming();
        UseFolder(Bench::NewScratchFolder());
        State.ResumeTiming();
        TEntryStore Store;
        TImportReport R = ImportText(Store, W.Calendar, {}, false);
        if (R.Imported != Count()) State.SkipWithError("not every event was imported");
    }
}

// The same file again: every event is recognised and nothing is written.
void ImportUnchanged(benchmark::State& State) {
    World& W = TheWorld();
    TEntryStore Store;
    for (auto _ : State) {
        TImportReport R = ImportText(Store, W.Calendar, {}, false);
        if (R.Unchanged != Count()) State.SkipWithError("the file was not recognised");
    }
}

// What the file system alone costs: the memo files of an import into an empty folder, each only
// opened, written and closed, in a new folder (no sync, no rename, no database).
void MemoFilesAlone(benchmark::State& State) {
    World& W = TheWorld();
    std::string Memos = W.Folder + "/agendix/drive_c/Temp";
    std::vector<std::string> Names;
    for (auto& E : std::filesystem::directory_iterator(Memos)) Names.push_back(E.path().filename());
    std::sort(Names.begin(), Names.end());
    std::string Memo = ReadFileBytes(Memos + "/" + Names.front());
    for (auto _ : State) {
        State.PauseTiming();
        std::string Folder = Bench::NewScratchFolder();
        State.ResumeTiming();
        for (auto& Name : Names) {
            int Fd = open((Folder + "/" + Name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (Fd < 0 || write(Fd, Memo.data(), Memo.size()) != static_cast<ssize_t>(Memo.size())) {
                State.SkipWithError("cannot make a memo file");
                break;
            }
            close(Fd);
        }
    }
}

void LibicalParse(benchmark::State& State) {
    World& W = TheWorld();
    for (auto _ : State) {
        icalcomponent* Cal = icalparser_parse_string(W.Calendar.c_str());
        benchmark::DoNotOptimize(Cal);
        icalcomponent_free(Cal);
    }
}

void Register(const char* Work, void (*Agendix)(benchmark::State&), void (*Baseline)(benchmark::State&),
              int Repetitions) {
    for (auto [Side, Fn] : {std::pair{"agendix", Agendix}, std::pair{"baseline", Baseline}})
        benchmark::RegisterBenchmark((std::string(Work) + "/" + Side).c_str(), Fn)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->Repetitions(Repetitions)
            ->MeasureProcessCPUTime()  // the work runs on more than one thread
            ->ReportAggregatesOnly(true);
}

}  // namespace

int main(int argc, char** argv) {
    GRows = Bench::Rows(argc, argv);
    Register("iCalendar export", Export, LibicalSerialise, 3);
    Register("iCalendar import, same file again", ImportUnchanged, LibicalParse, 3);
    Register("iCalendar import, empty folder", ImportNew, LibicalParse, 2);
    Register("iCalendar memo files alone, empty folder", MemoFilesAlone, LibicalParse, 2);
    Bench::RunAndReport(argc, argv, GRows, true);
}
