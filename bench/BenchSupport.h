#pragma once
#include <benchmark/benchmark.h>

#include <string>

// What every schedule benchmark shares: the table size from the command line, the schedule of
// that size made once and kept under the build folder, and one table row per piece of work, with
// Agendix beside the baseline that does the same work by the shortest road.
namespace Bench {

// "--rows=N", removed from the arguments; 10,000 when absent.
int Rows(int& Argc, char** Argv);

struct TDay {
    int Year, Month, Day;
};
TDay Today();

// A data folder holding a schedule of Rows entries, sixteen a day on the days around today,
// exported as XDG_DATA_HOME. Made on first use; kept until the date changes.
std::string UseSchedule(int Rows);

// The month summary as the data module asks it, and the day read as raw SQLite asks it.
extern const char* const MonthSql;
extern const char* const DaySql;

// The raw SQLite file of the schedule, for baselines.
std::string ScheduleFile();

// The folder under the build folder where benchmark data is kept.
std::string DataRoot();

// A new empty folder beside the kept data, left in place. A file system may make new files
// slowly for minutes after many were removed near them (ext4 without a journal passes over the
// recently freed inodes of the group at each new one): so not under /tmp, where every compiler
// makes and removes its temporaries; bench/run removes them all after its run.
std::string NewScratchFolder();

// Registers "<work>/agendix" and "<work>/baseline": microseconds, five repetitions, medians.
void Register(const char* Work, void (*Agendix)(benchmark::State&), void (*Baseline)(benchmark::State&));

// Runs the registered benchmarks, named "<work>/agendix" and "<work>/baseline", repeated, and
// prints one "ROW <tab> work <tab> size <tab> agendix ns <tab> baseline ns" line per work from
// their medians; with ProcessorTime, one more line of the processor time the process used
// (on a busy machine the time that passes grows with everything else that runs).
void RunAndReport(int& Argc, char** Argv, int Rows, bool ProcessorTime = false);
void PrintRow(const std::string& Work, int Rows, double AgendixNs, double BaselineNs);

}  // namespace Bench
