// agendix-cal: the schedule to and from iCalendar files, for people and scripts.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "app/cli/SyncCommands.h"
#include "icalendar/EntryStore.h"
#include "platform/rtl/Files.h"
#include "store/Schedule.h"

using namespace ICalendar;

namespace {

constexpr size_t MaxInput = 256u << 20;

struct TUsageError {
    AnsiString Message;
};
struct TReadError {
    AnsiString Message;
};

const bool Korean = KoreanLocale();

const char* T(const char* Ko, const char* En) {
    return Korean ? Ko : En;
}

void Usage(FILE* Out) {
    std::fputs(T("사용법:\n"
                 "  agendix-cal export [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--json] FILE\n"
                 "  agendix-cal import [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--dry-run] [--json] FILE\n"
                 "  agendix-cal account --url URL --user NAME [--password-file FILE]\n"
                 "  agendix-cal sync [--json] [--password-file FILE]\n"
                 "FILE 이 - 이면 표준 출력(내보내기) 또는 표준 입력(가져오기)입니다.\n",
                 "usage:\n"
                 "  agendix-cal export [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--json] FILE\n"
                 "  agendix-cal import [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--dry-run] [--json] FILE\n"
                 "  agendix-cal account --url URL --user NAME [--password-file FILE]\n"
                 "  agendix-cal sync [--json] [--password-file FILE]\n"
                 "FILE - is standard output (export) or standard input (import).\n"),
               Out);
}

std::string ReadInput(const std::string& Name) {
    std::string Text;
    if (Name == "-") {
        char Buf[1 << 16];
        size_t N;
        while ((N = std::fread(Buf, 1, sizeof Buf, stdin)) > 0) {
            Text.append(Buf, N);
            if (Text.size() > MaxInput) break;
        }
    } else {
        std::error_code Ec;
        if (std::filesystem::is_directory(Name, Ec))
            throw TReadError{AnsiString(T("폴더입니다: ", "is a directory: ")) + Name};
        std::ifstream In(Name, std::ios::binary);
        if (!In) throw TReadError{AnsiString(T("파일을 열 수 없습니다: ", "cannot open the file: ")) + Name};
        char Buf[1 << 16];
        while (In.read(Buf, sizeof Buf) || In.gcount() > 0) {
            Text.append(Buf, static_cast<size_t>(In.gcount()));
            if (Text.size() > MaxInput) break;
        }
    }
    if (Text.size() > MaxInput)
        throw TReadError{T("파일이 너무 큽니다 (256 MB 초과).", "the file is too big (over 256 MB).")};
    return Text;
}

// Written beside the target and renamed over it, so that a reader never sees half a calendar.
void WriteOutput(const std::string& Name, const std::string& Text) {
    if (Name == "-") {
        if (std::fwrite(Text.data(), 1, Text.size(), stdout) != Text.size() || std::fflush(stdout) != 0)
            throw TReadError{T("표준 출력에 쓸 수 없습니다.", "cannot write to standard output.")};
        return;
    }
    std::string Temp = Name + ".agendix-cal-" + std::to_string(getpid());
    int Fd = open(Temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    bool Ok = Fd >= 0;
    for (size_t Done = 0; Ok && Done < Text.size();) {
        ssize_t N = write(Fd, Text.data() + Done, Text.size() - Done);
        Ok = N > 0;
        if (Ok) Done += static_cast<size_t>(N);
    }
    Ok = Ok && fsync(Fd) == 0;
    if (Fd >= 0) Ok = close(Fd) == 0 && Ok;
    Ok = Ok && std::rename(Temp.c_str(), Name.c_str()) == 0;
    if (!Ok) {
        AnsiString Why = std::strerror(errno);
        unlink(Temp.c_str());
        throw TReadError{AnsiString(T("파일에 쓸 수 없습니다: ", "cannot write the file: ")) + Name + " (" +
                         Why + ")"};
    }
}

struct TArgs {
    AnsiString Command, File;
    TDayRange Range;
    bool DryRun = false, Json = false;
};

TArgs Parse(int argc, char** argv) {
    if (argc < 2) throw TUsageError{T("명령이 없습니다.", "no command given.")};
    TArgs A;
    A.Command = argv[1];
    if (A.Command != "export" && A.Command != "import")
        throw TUsageError{AnsiString(T("알 수 없는 명령입니다: ", "unknown command: ")) + A.Command};
    bool HaveFile = false;
    for (int I = 2; I < argc; ++I) {
        AnsiString Arg = argv[I];
        if (Arg == "--from" || Arg == "--to") {
            if (I + 1 >= argc) throw TUsageError{Arg + T(" 뒤에 날짜가 없습니다.", " needs a date.")};
            TCalDay D;
            if (!ParseCalDay(argv[++I], D))
                throw TUsageError{
                    AnsiString(T("날짜는 YYYY-MM-DD 로 씁니다: ", "dates are written YYYY-MM-DD: ")) +
                    argv[I]};
            (Arg == "--from" ? A.Range.HasFrom : A.Range.HasTo) = true;
            (Arg == "--from" ? A.Range.From : A.Range.To) = D;
        } else if (Arg == "--dry-run" && A.Command == "import") {
            A.DryRun = true;
        } else if (Arg == "--json") {
            A.Json = true;
        } else if (Arg.size() > 1 && Arg[0] == '-') {
            throw TUsageError{AnsiString(T("알 수 없는 옵션입니다: ", "unknown option: ")) + Arg};
        } else if (!HaveFile) {
            A.File = Arg;
            HaveFile = true;
        } else {
            throw TUsageError{AnsiString(T("파일은 하나만 줍니다: ", "only one file: ")) + Arg};
        }
    }
    if (!HaveFile) throw TUsageError{T("파일이 없습니다.", "no file given.")};
    if (A.Range.HasFrom && A.Range.HasTo && A.Range.To < A.Range.From)
        throw TUsageError{T("--to 가 --from 보다 앞섭니다.", "--to is before --from.")};
    return A;
}

void Report(const TArgs& A, const std::string& Json, const AnsiString& Line) {
    // The calendar itself may be on standard output; the report then goes to standard error.
    FILE* Out = A.Command == "export" && A.File == "-" ? stderr : stdout;
    std::fprintf(Out, "%s\n", A.Json ? Json.c_str() : Line.c_str());
}

void Fail(const TArgs* A, const AnsiString& Message) {
    std::fprintf(stderr, "agendix-cal: %s\n", Message.c_str());
    if (A && A->Json) {
        std::string J = "{\"error\": \"";
        for (char C : Message) J += C == '"' || C == '\\' ? std::string("\\") + C : std::string(1, C);
        std::fprintf(stdout, "%s\"}\n", J.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && (std::strcmp(argv[1], "account") == 0 || std::strcmp(argv[1], "sync") == 0)) {
        std::vector<std::string> Args(argv + 2, argv + argc);
        return std::strcmp(argv[1], "sync") == 0 ? SyncCommands::Sync(Args, std::cout, std::cerr)
                                                 : SyncCommands::Account(Args, std::cout, std::cerr);
    }
    TArgs A;
    try {
        A = Parse(argc, argv);
    } catch (const TUsageError& E) {
        std::fprintf(stderr, "agendix-cal: %s\n", E.Message.c_str());
        Usage(stderr);
        return 2;
    }
    try {
        if (A.Command == "export") {
            Drives::EnsureDriveC();
            TEntryStore Store;
            TExportResult R = ExportEntries(Store, A.Range, UserTimeZone());
            WriteOutput(A.File, R.Text);
            Report(A, ExportJson(R.Exported), ExportSummary(R.Exported, Korean));
        } else {
            std::string Text = ReadInput(A.File);
            TImportReport R;
            if (FileExists(DatabaseFileName(Schedule::DatabaseName))) {
                // A schedule that exists has its rows read while the file is parsed.
                Drives::EnsureDriveC();
                TEntryStore Store;
                R = Store.Import(Text, A.Range, A.DryRun);
            } else {
                // Parsed before a schedule is made: a file that cannot be read leaves nothing behind.
                TParsedCalendar Parsed = ParseCalendar(Text, A.Range, UserTimeZone());
                Drives::EnsureDriveC();
                TEntryStore Store;
                R = Store.Apply(Parsed, A.DryRun);
            }
            Report(A, ImportJson(R), ImportSummary(R, A.DryRun, Korean));
        }
        return 0;
    } catch (const TReadError& E) {
        Fail(&A, E.Message);
    } catch (const Exception& E) {
        Fail(&A, E.Message());
    }
    return 1;
}
