#include "icalendar/EntryStore.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "icalendar/Text.h"
#include "platform/rtl/AtomicFile.h"
#include "platform/rtl/Files.h"
#include "store/DBTables.h"
#include "store/Schedule.h"

namespace ICalendar {

namespace {

const char* const Fields[] = {"Year", "Month", "Day", "Time", "StartTime", "EndTime", "TiTle", "MemoFile"};
const int Widths[] = {4, 2, 2, 2, 2, 2, 50, 14};

std::string Q(const AnsiString& Name) {
    std::string Out = "\"";
    for (char C : Name) Out += C == '"' ? std::string("\"\"") : std::string(1, C);
    return Out + "\"";
}

const std::string& Now() {
    static const std::string S = "strftime('%Y%m%dT%H%M%SZ','now')";
    return S;
}

bool SameRow(const TEntry& A, const TEntry& B) {
    return std::tie(A.Year, A.Month, A.Day, A.Time, A.StartTime, A.EndTime, A.TiTle, A.MemoFile) ==
           std::tie(B.Year, B.Month, B.Day, B.Time, B.StartTime, B.EndTime, B.TiTle, B.MemoFile);
}

AnsiString SlotKey(const TEntry& E) {
    return E.Year + "|" + E.Month + "|" + E.Day + "|" + E.Time;
}

// The memo folder as a native path, resolved once, and held open: each memo name is then
// looked up in it as it is, so that thousands of memo files do not each read the folder to match
// letter case nor walk the whole path again.
struct TMemoFolder {
    std::string Path;
    int Fd = -1;
    TMemoFolder() : Path(Drives::ToNative(Schedule::MemoDirectory)) {
        while (Path.size() > 1 && Path.back() == '/') Path.pop_back();
        Fd = open(Path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    ~TMemoFolder() {
        if (Fd >= 0) close(Fd);
    }
    TMemoFolder(const TMemoFolder&) = delete;
    TMemoFolder& operator=(const TMemoFolder&) = delete;

    // The memo file's bytes; empty when the name is not a plain file name or there is no file.
    std::string Read(const AnsiString& Name, bool* Exists = nullptr) const {
        if (Exists) *Exists = false;
        if (Name.empty() || !Schedule::IsPlainMemoName(Name)) return {};
        int File = Fd >= 0 ? openat(Fd, Name.c_str(), O_RDONLY | O_CLOEXEC) : -1;
        if (File >= 0) {
            if (Exists) *Exists = true;
            std::string Bytes;
            ReadToEnd(File, Bytes);  // what a failed read left out stays out, as for a short file
            close(File);
            return Bytes;
        }
        try {  // a name written in other letters is still the entry's memo
            std::string B = ReadFileBytes(AnsiString(Schedule::MemoDirectory) + Name);
            if (Exists) *Exists = true;
            return B;
        } catch (const EStreamError&) {
            return {};
        }
    }
};

AnsiString DecodeMemo(const std::string& Bytes) {
    try {
        return MemoText(Bytes);
    } catch (const EConvertError&) {
        return ValidUtf8(Bytes);
    }
}

bool InRange(const TDayRange& R, const TEntry& E) {
    return R.Contains({StrToIntDef(E.Year, 0), StrToIntDef(E.Month, 0), StrToIntDef(E.Day, 0)});
}

}  // namespace

using TParamList = std::vector<std::pair<const char*, AnsiString>>;

struct TEntryStore::TState {
    AnsiString DatabaseName;
    std::map<std::string, std::unique_ptr<TQuery>> Statements;

    // One data set per statement text, so that a statement run again is only bound and stepped.
    TQuery& Statement(const std::string& Text, const TParamList& Params) {
        auto& Q = Statements[Text];
        if (!Q) {
            Q = std::make_unique<TQuery>(nullptr);
            Q->SetDatabaseName(DatabaseName);
            Q->SQL()->Add(Text);
        }
        Q->Close();
        for (auto& [Name, Value] : Params) Q->ParamByName(Name)->SetAsString(Value);
        return *Q;
    }
    // The rows it changed.
    int Run(const std::string& Text, const TParamList& Params = {}) {
        TQuery& Q = Statement(Text, Params);
        Q.ExecSQL();
        return Q.RowsAffected();
    }
    TQuery& Open(const std::string& Text, const TParamList& Params = {}) {
        TQuery& Q = Statement(Text, Params);
        Q.Open();
        return Q;
    }
    int64_t Number(const std::string& Text, const TParamList& Params = {}) {
        TQuery& Q = Open(Text, Params);
        int64_t N = Q.Eof() ? 0 : StrToIntDef(Q.Fields()->Fields(0)->AsString(), 0);
        Q.Close();
        return N;
    }
    TQuery& Handle() { return Statement("SELECT changes()", {}); }

    // Rows of the store, memo texts not read.
    std::vector<TStoredEntry> LoadRows(const std::string& Where = "", const TParamList& Params = {});
};

std::vector<TStoredEntry> TEntryStore::TState::LoadRows(const std::string& Where, const TParamList& Params) {
    std::string Text = "SELECT d.rowid";
    for (auto* Fd : Fields) Text += ", d." + Q(Fd);
    Text += ", u.Uid, u.Occurrence, u.Created, u.LastModified FROM " + Q(Schedule::TableName) +
            " d LEFT JOIN " + Q(UidTableName) + " u ON u.Entry = d.rowid" + Where;
    std::vector<TStoredEntry> Rows;
    Statement(Text, Params).ForEachRow([&](const TRowView& R) {
        TStoredEntry& Row = Rows.emplace_back();
        TEntry& E = Row.Entry;
        for (auto [Column, Field] : {std::pair{1, &E.Year},
                                     {2, &E.Month},
                                     {3, &E.Day},
                                     {4, &E.Time},
                                     {5, &E.StartTime},
                                     {6, &E.EndTime},
                                     {7, &E.TiTle},
                                     {8, &E.MemoFile}})
            *Field = R.Text(Column);
        Row.Id.Row = R.Integer(0);
        Row.Id.Uid = R.Text(9);
        Row.Id.Occurrence = R.Text(10);
        Row.Id.Created = R.Text(11);
        Row.Id.LastModified = R.Text(12);
    });
    return Rows;
}

TEntryStore::TEntryStore(const AnsiString& DatabaseName) : F(std::make_unique<TState>()) {
    F->DatabaseName = DatabaseName;
    // The schedule table as the program creates it, so that the tool works on an empty folder.
    TTable Table(nullptr);
    Table.SetDatabaseName(DatabaseName);
    Table.SetTableName(Schedule::TableName);
    for (int I = 0; I < 8; ++I) Table.FieldDefs()->AddFieldDef(Fields[I], ftString, Widths[I]);
    Table.CreateTable();

    std::string D = Q(Schedule::TableName), U = Q(UidTableName), Name = UidTableName;
    std::string Master = "SELECT count(*) FROM sqlite_master WHERE type = :T AND name = :N";
    bool Installed = F->Number(Master, {{"T", "table"}, {"N", Name}}) > 0 &&
                     F->Number(Master, {{"T", "trigger"}, {"N", Name + "_delete"}}) > 0;
    if (!Installed) {
        TTransaction T(F->Handle());
        F->Run("CREATE TABLE IF NOT EXISTS " + U +
               " (Entry INTEGER PRIMARY KEY, Uid TEXT NOT NULL, Occurrence TEXT NOT NULL DEFAULT '',"
               " Created TEXT NOT NULL, LastModified TEXT NOT NULL)");
        F->Run("CREATE INDEX IF NOT EXISTS " + Q(Name + "_Uid") + " ON " + U + " (Uid, Occurrence)");
        F->Run("CREATE INDEX IF NOT EXISTS " + Q(Schedule::TableName + std::string("_Year_Month_Day")) +
               " ON " + D + " (\"Year\", \"Month\", \"Day\")");
        F->Run("CREATE TRIGGER IF NOT EXISTS " + Q(Name + "_insert") + " AFTER INSERT ON " + D +
               " BEGIN INSERT OR REPLACE INTO " + U +
               " (Entry, Uid, Occurrence, Created, LastModified) VALUES (NEW.rowid,"
               " lower(hex(randomblob(16))) || '@agendix', '', " +
               Now() + ", " + Now() + "); END");
        F->Run("CREATE TRIGGER IF NOT EXISTS " + Q(Name + "_update") + " AFTER UPDATE ON " + D +
               " BEGIN UPDATE " + U + " SET LastModified = " + Now() + " WHERE Entry = NEW.rowid; END");
        F->Run("CREATE TRIGGER IF NOT EXISTS " + Q(Name + "_delete") + " AFTER DELETE ON " + D +
               " BEGIN DELETE FROM " + U + " WHERE Entry = OLD.rowid; END");
        T.Commit();
    }
    // Rows stored before the triggers existed get their UID now.
    std::string Orphans = " FROM " + D + " WHERE rowid NOT IN (SELECT Entry FROM " + U + ")";
    if (F->Number("SELECT count(*)" + Orphans) > 0) {
        TTransaction T(F->Handle());
        F->Run("INSERT INTO " + U +
               " (Entry, Uid, Occurrence, Created, LastModified) SELECT rowid,"
               " lower(hex(randomblob(16))) || '@agendix', '', " +
               Now() + ", " + Now() + Orphans);
        T.Commit();
    }
}

TEntryStore::~TEntryStore() = default;

std::vector<TStoredEntry> TEntryStore::ReadEntries(const TDayRange& Range, bool Memos) {
    std::vector<TStoredEntry> Rows = F->LoadRows();
    // Sorted by keys worked out once; the rows are moved only into their place.
    struct TKey {
        int Year, Month, Day;
        const AnsiString* Time;
        int64_t Row;
        size_t At;
        bool operator<(const TKey& B) const {
            return std::tie(Year, Month, Day, *Time, Row) < std::tie(B.Year, B.Month, B.Day, *B.Time, B.Row);
        }
    };
    std::vector<TKey> Keys;
    Keys.reserve(Rows.size());
    for (size_t I = 0; I < Rows.size(); ++I) {
        const TEntry& E = Rows[I].Entry;
        if (InRange(Range, E))
            Keys.push_back({StrToIntDef(E.Year, 0), StrToIntDef(E.Month, 0), StrToIntDef(E.Day, 0), &E.Time,
                            Rows[I].Id.Row, I});
    }
    std::sort(Keys.begin(), Keys.end());
    std::vector<TStoredEntry> Out;
    Out.reserve(Keys.size());
    for (const TKey& K : Keys) Out.push_back(std::move(Rows[K.At]));
    if (Memos) {
        TMemoFolder Folder;
        for (auto& S : Out) S.Entry.Memo = DecodeMemo(Folder.Read(S.Entry.MemoFile));
    }
    return Out;
}

std::optional<TStoredEntry> TEntryStore::FindByUid(const AnsiString& Uid, const AnsiString& Occurrence) {
    auto Rows = F->LoadRows(" WHERE u.Uid = :U AND u.Occurrence = :O ORDER BY d.rowid",
                            {{"U", Uid}, {"O", Occurrence}});
    if (Rows.empty()) return std::nullopt;
    TStoredEntry S = std::move(Rows[0]);
    S.Entry.Memo = DecodeMemo(TMemoFolder().Read(S.Entry.MemoFile));
    return S;
}

namespace {
AnsiString Joined(const std::vector<AnsiString>& Parts) {
    AnsiString Out;
    for (auto& P : Parts) Out += (Out.empty() ? "" : "; ") + P;
    return Out;
}

// Every field as "Name = :Prefix<i>"-style lists for the conditional statements.
std::string Assignments() {
    std::string S;
    for (int I = 0; I < 8; ++I) S += std::string(I ? ", " : "") + Q(Fields[I]) + " = :N" + std::to_string(I);
    return S;
}
std::string AsRead() {
    std::string S;
    for (int I = 0; I < 8; ++I) S += " AND " + Q(Fields[I]) + " IS :O" + std::to_string(I);
    return S;
}
std::string SlotTaken(const std::string& Table) {
    return "EXISTS (SELECT 1 FROM " + Table +
           " WHERE \"Year\" = :N0 AND \"Month\" = :N1 AND \"Day\" = :N2 AND" + " \"Time\" = :N3";
}
void AddTexts(TParamList& P, const char* const Names[], const TEntry& E) {
    const AnsiString* T[] = {&E.Year,      &E.Month,   &E.Day,   &E.Time,
                             &E.StartTime, &E.EndTime, &E.TiTle, &E.MemoFile};
    for (int I = 0; I < 8; ++I) P.emplace_back(Names[I], *T[I]);
}
constexpr size_t SmallImport = 64;
// An event's UID and occurrence.
using TUidKey = std::pair<AnsiString, AnsiString>;
struct TUidHash {
    size_t operator()(const TUidKey& K) const {
        return std::hash<AnsiString>()(K.first) * 31 + std::hash<AnsiString>()(K.second);
    }
};
const char* const NewNames[] = {"N0", "N1", "N2", "N3", "N4", "N5", "N6", "N7"};
const char* const OldNames[] = {"O0", "O1", "O2", "O3", "O4", "O5", "O6", "O7"};

struct TMemoBytes {
    bool Exists = false;
    std::string Bytes;
};

}  // namespace

// Rows and memo files read while the file was parsed.
struct TEntryStore::TPrefetch {
    std::vector<TStoredEntry> Rows;
    std::vector<TMemoBytes> Memos;  // of the first rows, as far as the reading got
};

TImportReport TEntryStore::Import(const std::string& Text, const TDayRange& Range, bool DryRun,
                                  const std::function<void(size_t, size_t)>& Progress) {
    AnsiString Zone = UserTimeZone();
    std::promise<TParsedCalendar> Result;
    std::future<TParsedCalendar> Events = Result.get_future();
    std::atomic<bool> Parsed = false;
    // The parser hands over the events first and gives back the parsed text's memory after,
    // while this thread applies them.
    auto Parsing = std::async(std::launch::async, [&] {
        bool Delivered = false;
        try {
            ParseCalendar(Text, Range, Zone, [&](TParsedCalendar P) {
                Result.set_value(std::move(P));
                Delivered = Parsed = true;
            });
        } catch (...) {
            Parsed = true;
            if (!Delivered) Result.set_exception(std::current_exception());
        }
    });
    TPrefetch Read;
    Read.Rows = F->LoadRows();
    // The memo files are read while the parser works and no longer: the same file imported again
    // compares every event with its memo, and what is not read by then is read when needed.
    TMemoFolder Folder;
    Read.Memos.reserve(Read.Rows.size());
    for (size_t I = 0; I < Read.Rows.size() && !Parsed; ++I) {
        TMemoBytes& M = Read.Memos.emplace_back();
        M.Bytes = Folder.Read(Read.Rows[I].Entry.MemoFile, &M.Exists);
    }
    return Apply(Events.get(), DryRun, Progress, &Read);
}

TImportReport TEntryStore::Apply(const TParsedCalendar& Parsed, bool DryRun,
                                 const std::function<void(size_t, size_t)>& Progress) {
    return Apply(Parsed, DryRun, Progress, nullptr);
}

TImportReport TEntryStore::Apply(const TParsedCalendar& Parsed, bool DryRun,
                                 const std::function<void(size_t, size_t)>& Progress, TPrefetch* Read) {
    TImportReport Rep;
    Rep.Skipped = Parsed.Skipped;
    TMemoFolder Folder;
    // A file had its rows read while it was parsed; otherwise a few events (a sync, one event)
    // read only the rows they can touch, and more read them all.
    std::vector<TStoredEntry> Rows;
    std::vector<TMemoBytes> Memos;
    if (Read) {
        Rows = std::move(Read->Rows);
        Memos = std::move(Read->Memos);
    } else if (Parsed.Events.size() > SmallImport) {
        Rows = F->LoadRows();
    } else {
        std::set<int64_t> Have;
        auto Keep = [&](std::vector<TStoredEntry> More) {
            for (auto& R : More)
                if (Have.insert(R.Id.Row).second) Rows.push_back(std::move(R));
        };
        for (const TIncoming& In : Parsed.Events) {
            const TEntry& E = In.Entry;
            Keep(F->LoadRows(
                " WHERE d.\"Year\" = :Y AND d.\"Month\" = :M AND d.\"Day\" = :D AND d.\"Time\" = :T",
                {{"Y", E.Year}, {"M", E.Month}, {"D", E.Day}, {"T", E.Time}}));
            Keep(F->LoadRows(" WHERE d.rowid IN (SELECT Entry FROM " + Q(UidTableName) +
                                 " WHERE Uid = :U AND Occurrence = :O)",
                             {{"U", In.Uid}, {"O", In.Occurrence}}));
        }
    }
    // The stored memo of a row, as read ahead or read now.
    auto SameMemo = [&](size_t Row, const std::string& Bytes) {
        if (Row < Memos.size()) return Memos[Row].Exists && Memos[Row].Bytes == Bytes;
        bool Exists = false;
        return Folder.Read(Rows[Row].Entry.MemoFile, &Exists) == Bytes && Exists;
    };
    std::unordered_map<AnsiString, size_t> BySlot(Rows.size() + Parsed.Events.size());
    std::unordered_map<TUidKey, size_t, TUidHash> ByUid(Rows.size() + Parsed.Events.size());
    for (size_t I = 0; I < Rows.size(); ++I) {
        BySlot.emplace(SlotKey(Rows[I].Entry), I);
        ByUid.emplace(std::make_pair(Rows[I].Id.Uid, Rows[I].Id.Occurrence), I);
    }

    struct TPlan {
        const TIncoming* In;
        int64_t Row = 0;  // 0: a new row
        TEntry Old;       // the row as read, for the conditional write
        std::string Bytes;
    };
    std::vector<TPlan> Plans;
    std::unordered_set<TUidKey, TUidHash> Seen(Parsed.Events.size());
    size_t Total = Parsed.Events.size(), Done = 0;
    auto Tick = [&] {
        if (Progress && (++Done % 256 == 0)) Progress(Done, Total * 2);
    };
    for (const TIncoming& In : Parsed.Events) {
        Tick();
        TEventNote Note{In.Uid, In.StartText, In.Summary, ""};
        auto Key = std::make_pair(In.Uid, In.Occurrence);
        if (!Seen.insert(Key).second) {
            Note.Reason = Say("파일에 같은 일정(UID)이 두 번 있습니다.", "the file holds this event twice");
            Rep.Skipped.push_back(Note);
            continue;
        }
        AnsiString Slot = SlotKey(In.Entry);
        auto Known = ByUid.find(Key);
        auto Occupant = BySlot.find(Slot);
        if (Occupant != BySlot.end() && (Known == ByUid.end() || Occupant->second != Known->second)) {
            Note.Reason = Say("그 시간에 다른 일정이 있습니다: ", "the slot holds another entry: ") +
                          Rows[Occupant->second].Entry.TiTle;
            Rep.Skipped.push_back(Note);
            continue;
        }
        TPlan P{&In, 0, {}, {}};
        try {
            P.Bytes = MemoBytes(In.Entry.Memo);
        } catch (const EConvertError& E) {
            Note.Reason = E.Message();
            Rep.Skipped.push_back(Note);
            continue;
        }
        if (Known != ByUid.end()) {
            auto& Row = Rows[Known->second];
            if (SameRow(Row.Entry, In.Entry) && SameMemo(Known->second, P.Bytes)) {
                ++Rep.Unchanged;
            } else {
                P.Row = Row.Id.Row;
                P.Old = Row.Entry;
                BySlot.erase(SlotKey(Row.Entry));
                BySlot[Slot] = Known->second;
                Row.Entry = In.Entry;
                Plans.push_back(std::move(P));
                ++Rep.Updated;
            }
        } else {
            Rows.push_back({In.Entry, {0, In.Uid, In.Occurrence, {}, {}}});
            BySlot[Slot] = Rows.size() - 1;
            ByUid[Key] = Rows.size() - 1;
            Plans.push_back(std::move(P));
            ++Rep.Imported;
        }
        if (!In.Adjustments.empty()) {
            Note.Reason = Joined(In.Adjustments);
            Rep.Adjusted.push_back(Note);
        }
    }
    if (DryRun || Plans.empty()) return Rep;

    std::string D = Q(Schedule::TableName), U = Q(UidTableName);
    std::string Insert = "INSERT INTO " + D + " (";
    for (int I = 0; I < 8; ++I) Insert += std::string(I ? ", " : "") + Q(Fields[I]);
    Insert += ") SELECT :N0, :N1, :N2, :N3, :N4, :N5, :N6, :N7 WHERE NOT " + SlotTaken(D) + ")";
    std::string Update = "UPDATE " + D + " SET " + Assignments() + " WHERE rowid = CAST(:R AS INTEGER)" +
                         AsRead() + " AND NOT " + SlotTaken(D) + " AND rowid <> CAST(:R AS INTEGER))";
    std::string Name =
        "UPDATE " + U +
        " SET Uid = :U, Occurrence = :O, Created = coalesce(nullif(:C, ''), Created),"
        " LastModified = coalesce(nullif(:L, ''), LastModified) WHERE Entry = last_insert_rowid()";
    std::string Stamp = "UPDATE " + U +
                        " SET LastModified = coalesce(nullif(:L, ''), LastModified)"
                        " WHERE Entry = CAST(:R AS INTEGER)";

    // One transaction for the whole file. The memo files are staged on a thread of their own while
    // the rows are written, then by both threads (a row that is not written has its file
    // discarded); they are put in place before the commit and all put back if it fails, so that
    // rows and memos change together.
    TStagedFileSet Memo(Folder.Path);
    TTransaction T(F->Handle());
    std::vector<char> Written(Plans.size());
    {
        Memo.Resize(Plans.size());
        std::atomic<size_t> Next = 0;
        std::atomic<bool> Stop = false;
        auto StageSome = [&] {
            try {
                for (size_t I; !Stop && (I = Next++) < Plans.size();)
                    Memo.Stage(I, Plans[I].In->Entry.MemoFile, Plans[I].Bytes, Plans[I].Row == 0);
            } catch (...) {
                Stop = true;  // the other thread stops too: the import fails
                throw;
            }
        };
        auto Staging = std::async(std::launch::async, StageSome);
        struct TStopper {  // a failure here stops the staging before the future waits for it
            std::atomic<bool>& Flag;
            ~TStopper() { Flag = true; }
        } Stopper{Stop};
        for (size_t I = 0; I < Plans.size(); ++I) {
            Tick();
            auto& P = Plans[I];
            const TIncoming& In = *P.In;
            TParamList Params;
            AddTexts(Params, NewNames, In.Entry);
            if (P.Row == 0) {
                Written[I] = F->Run(Insert, Params) == 1;
                if (Written[I])
                    F->Run(Name,
                           {{"U", In.Uid}, {"O", In.Occurrence}, {"C", In.Created}, {"L", In.LastModified}});
                else
                    --Rep.Imported;
            } else {
                AddTexts(Params, OldNames, P.Old);
                Params.emplace_back("R", IntToStr(P.Row));
                Written[I] = F->Run(Update, Params) == 1;
                if (Written[I])
                    F->Run(Stamp, {{"L", In.LastModified}, {"R", IntToStr(P.Row)}});
                else
                    --Rep.Updated;
            }
            if (!Written[I])
                Rep.Skipped.push_back({In.Uid, In.StartText, In.Summary,
                                       Say("가져오는 동안 다른 프로그램이 그 일정을 바꿨습니다.",
                                           "another program changed the entry meanwhile")});
        }
        StageSome();
        Staging.get();
    }
    for (size_t I = 0; I < Plans.size(); ++I)
        if (!Written[I]) Memo.Discard(I);
    Memo.Install();
    try {
        T.Commit();
    } catch (...) {
        Memo.Undo();
        throw;
    }
    Memo.Finish();
    if (Progress) Progress(Total * 2, Total * 2);
    return Rep;
}

TExportResult ExportEntries(TEntryStore& Store, const TDayRange& Range, const AnsiString& Zone) {
    std::vector<TStoredEntry> Entries = Store.ReadEntries(Range, false);
    TCalendarText Frame = CalendarFrame(Zone);
    // Each half of the entries has its memo files read and its events written on a thread of its
    // own; the halves are joined in order, so the text is the one ExportCalendar writes.
    TMemoFolder Folder;
    auto Part = [&](size_t From, size_t To, int& Exported) {
        for (size_t I = From; I < To; ++I)
            Entries[I].Entry.Memo = DecodeMemo(Folder.Read(Entries[I].Entry.MemoFile));
        return ExportEvents(Entries.data() + From, To - From, Zone, Exported);
    };
    size_t Half = Entries.size() / 2;
    int Later = 0;
    auto Second = std::async(std::launch::async, Part, Half, Entries.size(), std::ref(Later));
    TExportResult R;
    std::string First = Part(0, Half, R.Exported);
    std::string Rest = Second.get();
    R.Exported += Later;
    R.Text.reserve(Frame.Head.size() + First.size() + Rest.size() + Frame.Tail.size());
    R.Text.append(Frame.Head).append(First).append(Rest).append(Frame.Tail);
    return R;
}

TImportReport ImportText(TEntryStore& Store, const std::string& Text, const TDayRange& Range, bool DryRun,
                         const std::function<void(size_t, size_t)>& Progress) {
    return Store.Import(Text, Range, DryRun, Progress);
}

TApplyOutcome TEntryStore::ApplyOne(const TIncoming& Event) {
    TParsedCalendar P;
    P.Events.push_back(Event);
    TImportReport R = Apply(P, false);
    if (R.Imported) return {TApplyResult::Imported, {}};
    if (R.Updated) return {TApplyResult::Updated, {}};
    if (R.Unchanged) return {TApplyResult::Unchanged, {}};
    return {TApplyResult::Skipped, R.Skipped.empty() ? AnsiString() : R.Skipped.front().Reason};
}

bool TEntryStore::DeleteByUid(const AnsiString& Uid, const AnsiString& Occurrence) {
    auto Found = FindByUid(Uid, Occurrence);
    if (!Found) return false;
    TTransaction T(F->Handle());
    bool Deleted = F->Run("DELETE FROM " + Q(Schedule::TableName) +
                              " WHERE rowid = CAST(:R AS INTEGER) AND rowid IN (SELECT Entry FROM " +
                              Q(UidTableName) + " WHERE Uid = :U AND Occurrence = :O)",
                          {{"R", IntToStr(Found->Id.Row)}, {"U", Uid}, {"O", Occurrence}}) == 1;
    T.Commit();
    return Deleted;
}

}  // namespace ICalendar
