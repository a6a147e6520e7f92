#include "caldav/SyncEngine.h"

#include <cctype>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "caldav/CalDavError.h"
#include "caldav/SyncState.h"
#include "platform/rtl/Files.h"

namespace Sync {

using namespace ICalendar;

namespace {

// Agreements are written to the database in batches; each batch is one transaction.
constexpr size_t FlushEvery = 500;

std::string Say(const char* Korean, const char* English) {
    return KoreanLocale() ? Korean : English;
}

std::string NowUtc() {
    std::time_t T = std::time(nullptr);
    std::tm Tm{};
    gmtime_r(&T, &Tm);
    char Buf[32];
    std::strftime(Buf, sizeof Buf, "%Y%m%dT%H%M%SZ", &Tm);
    return Buf;
}

TEventNote NoteOf(const TEntry& E, const std::string& Uid, const std::string& Reason) {
    char Start[32];
    std::snprintf(Start, sizeof Start, "%04d-%02d-%02d %s:00", StrToIntDef(E.Year, 0),
                  StrToIntDef(E.Month, 0), StrToIntDef(E.Day, 0), E.Time.c_str());
    return {Uid, Start, E.TiTle, Reason};
}

class TSync {
  public:
    TSync(TCalDavClient& Client, TEntryStore& Store, const TSyncProgress& Progress, const std::string& Db)
        : FClient(Client), FStore(Store), FProgress(Progress), FDb(Db), FZone(UserTimeZone()) {}

    TSyncReport Run() {
        TSyncState State(FDb, FClient.Url());
        FState = &State;
        // With a sync token from the last run the change report alone tells what happened.
        TCalDavClient::TCollection Col;
        if (State.SyncToken().empty())
            Col = FClient.Probe();
        else
            Col = {State.CTag(), State.SyncToken(), true};
        try {
            RunWith(Col, !State.SyncToken().empty());
            if (!FDeferred) State.SetCollection(FNewToken, FCTag);
            State.Flush();
        } catch (...) {
            // What was done before the fault is true on both sides: keep it.
            try {
                State.Flush();
            } catch (...) {
            }
            throw;
        }
        return FReport;
    }

  private:
    void RunWith(const TCalDavClient::TCollection& Col, bool Unprobed) {
        FCTag = Col.CTag;
        std::map<std::string, std::string> Changed;  // href -> ETag
        std::set<std::string> Removed;               // paths
        bool Full = false;
        if (Col.SyncCollection) {
            TCalDavClient::TChanges C;
            try {
                C = FClient.SyncChanges(FState->SyncToken());
            } catch (const ECalDavError& E) {
                // The collection no longer answers as it did: look at it afresh.
                if (!Unprobed || E.Kind() != ECalDavError::Protocol) throw;
                return RunWith(FClient.Probe(), false);
            }
            Full = FState->SyncToken().empty();
            if (C.TokenRefused) {
                C = FClient.SyncChanges("");
                Full = true;
            }
            FNewToken = C.SyncToken;
            for (const auto& M : C.Members)
                if (M.Removed)
                    Removed.insert(FClient.PathOf(M.Href));
                else
                    Changed[M.Href] = M.ETag;
        } else if (Col.CTag.empty() || Col.CTag != FState->CTag()) {
            for (const auto& M : FClient.ListMembers()) Changed[M.Href] = M.ETag;
            Full = true;
        }
        if (Full) {
            std::set<std::string> Present;
            for (const auto& [Href, ETag] : Changed) Present.insert(FClient.PathOf(Href));
            for (const auto& [Path, Row] : FState->Rows())
                if (!Present.count(Path)) Removed.insert(Path);
        }
        std::vector<std::string> ToFetch;
        for (const auto& [Href, ETag] : Changed) {
            const TAgreement* S = FState->ByHref(FClient.PathOf(Href));
            if (!S || S->ETag != ETag) ToFetch.push_back(Href);  // our own writes come back with known ETags
        }

        for (auto& E : FStore.ReadEntries()) {
            if (!E.Id.Occurrence.empty()) {
                FReport.Skipped.push_back(NoteOf(E.Entry, E.Id.Uid,
                                                 Say("반복 일정의 한 회차라 서버로 보내지 않습니다.",
                                                     "one occurrence of a recurring event: not sent")));
                continue;
            }
            FLocal[E.Id.Uid] = std::move(E);
        }
        FTotal = ToFetch.size() + Removed.size() + FLocal.size();

        for (const auto& R : FClient.Fetch(ToFetch)) {
            Pull(R);
            Step();
        }
        for (const auto& Path : Removed) {
            RemovedThere(Path);
            Step();
        }
        Push();
    }

    void Step() {
        ++FDone;
        if (FState->Pending() >= FlushEvery) FState->Flush();
        if (FProgress && (FDone % 50 == 0 || FDone == FTotal)) FProgress(FDone, FTotal);
    }

    // A server resource that is new or changed since the last agreement.
    void Pull(const TCalDavClient::TResource& R) {
        const std::string Path = FClient.PathOf(R.Href);
        const TAgreement* S = FState->ByHref(Path);
        TParsedCalendar Parsed;
        try {
            Parsed = ParseCalendar(R.Data, {}, FZone);
        } catch (const EICalendarError& E) {
            Parsed.Skipped.push_back({"", "", "", E.Message()});
        }
        if (Parsed.Events.size() != 1 || !Parsed.Events[0].Occurrence.empty()) {
            if (!Parsed.Events.empty()) {
                const TIncoming& First = Parsed.Events.front();
                Parsed.Skipped.push_back(
                    {First.Uid, First.StartText, First.Summary,
                     Parsed.Events.size() > 1 && First.Occurrence.empty()
                         ? Say("한 파일에 여러 일정이 있습니다.", "several events in one resource")
                         : Say("반복 일정은 서버에만 둡니다.", "recurring event: kept on the server only")});
            } else if (Parsed.Skipped.empty()) {
                Parsed.Skipped.push_back({"", "", R.Href, Say("일정이 없습니다.", "no event in it")});
            }
            for (auto& N : Parsed.Skipped) FReport.Skipped.push_back(N);
            LeaveOnServer(R, S, Parsed.Events.empty() ? std::string() : Parsed.Events[0].Uid);
            return;
        }
        const TIncoming& E = Parsed.Events[0];
        auto L = FLocal.find(E.Uid);
        if (!S || S->Skipped || S->Uid != E.Uid) {
            if (L == FLocal.end())
                Apply(E, R, S);
            else if (L->second.Entry == E.Entry)
                Agree(R.Href, E.Uid, R.ETag, L->second.Entry);
            else
                Conflict(E, R, L->second);
            return;
        }
        if (Mapped(S->Agreed, S->Uid) == EntryText(E.Entry)) {
            // Nothing an entry holds changed there (or it is our own write): take the new ETag, and
            // let the push send what changed here.
            FState->Record(Path, {Path, R.Href, S->Uid, R.ETag, S->Agreed, false});
            return;
        }
        if (L == FLocal.end() || EntryText(L->second.Entry) == S->Agreed)
            Apply(E, R, S);  // unchanged here, or deleted here: the server's change wins
        else
            Conflict(E, R, L->second);
    }

    // What an agreed entry looks like once it has been through the server and back.
    std::string Mapped(const std::string& Agreed, const std::string& Uid) {
        TStoredEntry E;
        if (!ParseEntryText(Agreed, E.Entry)) return {};
        E.Id.Uid = Uid;
        TParsedCalendar P = ParseCalendar(ExportCalendar({E}, FZone), {}, FZone);
        return P.Events.size() == 1 ? EntryText(P.Events[0].Entry) : std::string();
    }

    void LeaveOnServer(const TCalDavClient::TResource& R, const TAgreement* S, const std::string& Uid) {
        std::string U = S ? S->Uid : Uid;
        FState->Record(FClient.PathOf(R.Href), {"", R.Href, U, R.ETag, S ? S->Agreed : std::string(), true});
        FHandled.insert(U);
    }

    void Apply(const TIncoming& E, const TCalDavClient::TResource& R, const TAgreement* S) {
        FHandled.insert(E.Uid);
        TApplyOutcome O;
        try {
            O = FStore.ApplyOne(E);
        } catch (const EDatabaseError&) {
            FDeferred = true;  // written meanwhile by someone else: the next run sees it again
            return;
        }
        if (O.Result == TApplyResult::Skipped) {
            FReport.Skipped.push_back({E.Uid, E.StartText, E.Summary, O.Reason});
            LeaveOnServer(R, S, E.Uid);
            return;
        }
        std::optional<TStoredEntry> Now = FStore.FindByUid(E.Uid);
        if (!Now) return;
        if (O.Result != TApplyResult::Unchanged) ++FReport.Pulled;
        Agree(R.Href, E.Uid, R.ETag, Now->Entry);
        FLocal[E.Uid] = *Now;
    }

    void Agree(const std::string& Href, const std::string& Uid, const std::string& ETag,
               const TEntry& Entry) {
        FHandled.insert(Uid);
        FState->Record(FClient.PathOf(Href), {"", Href, Uid, ETag, EntryText(Entry), false});
    }

    std::string SaveConflict(const std::string& Uid, const std::string& Ics) {
        std::string Dir = Drives::DataFolder() + "/conflicts";
        std::error_code Ec;
        std::filesystem::create_directories(Dir, Ec);
        std::string Name;
        for (unsigned char C : Uid)
            Name += std::isalnum(C) || C == '-' || C == '.' || C == '@' ? char(C) : '_';
        std::string Path = Dir + "/" + Name + "-" + NowUtc();
        std::string Try = Path + ".ics";
        for (int N = 2; std::filesystem::exists(Try); ++N) Try = Path + "-" + std::to_string(N) + ".ics";
        WriteFileAtomic(Try, Ics);
        return Try;
    }

    // Changed on both sides since the last agreement: the later change wins.
    void Conflict(const TIncoming& E, const TCalDavClient::TResource& R, const TStoredEntry& L) {
        FHandled.insert(E.Uid);
        const bool LocalWins = !E.LastModified.empty() && L.Id.LastModified > E.LastModified;
        TConflict C;
        C.LocalWon = LocalWins;
        if (LocalWins) {
            C.Event = NoteOf(L.Entry, L.Id.Uid,
                             Say("이 컴퓨터의 변경이 더 나중이라 남겼습니다.",
                                 "the change made here is later and was kept"));
            C.Kept = SaveConflict(E.Uid, R.Data);
            TCalDavClient::TWrite W = FClient.Put(R.Href, ExportCalendar({L}, FZone), R.ETag);
            if (!Sent(W, L)) return;
            ++FReport.Pushed;
            Agree(R.Href, L.Id.Uid, W.ETag, L.Entry);
        } else {
            C.Event = NoteOf(E.Entry, E.Uid,
                             Say("서버의 변경이 더 나중이라 남겼습니다.",
                                 "the change on the server is later and was kept"));
            C.Kept = SaveConflict(E.Uid, ExportCalendar({L}, FZone));
            Apply(E, R, FState->ByHref(FClient.PathOf(R.Href)));
        }
        FReport.Conflicts.push_back(std::move(C));
    }

    // Gone from the server since the last agreement.
    void RemovedThere(const std::string& Path) {
        const TAgreement* S = FState->ByHref(Path);
        if (!S) return;
        const std::string Uid = S->Uid;
        auto L = FLocal.find(Uid);
        if (S->Skipped || L == FLocal.end()) {
            FState->Forget(Path);
            return;
        }
        FHandled.insert(Uid);
        if (EntryText(L->second.Entry) != S->Agreed) {
            // Changed here after the last agreement: the change outlives the deletion.
            const std::string Target = S->Target;
            TCalDavClient::TWrite W = FClient.Put(Target, ExportCalendar({L->second}, FZone), "");
            if (!Sent(W, L->second)) return;
            ++FReport.Pushed;
            Agree(Target, Uid, W.ETag, L->second.Entry);
            return;
        }
        try {
            if (FStore.DeleteByUid(Uid)) ++FReport.DeletedLocal;
        } catch (const EDatabaseError&) {
            FDeferred = true;
            return;
        }
        FLocal.erase(L);
        FState->Forget(Path);
    }

    void Push() {
        for (const auto& [Uid, L] : FLocal) {
            if (FHandled.count(Uid)) continue;
            const TAgreement* S = FState->ByUid(Uid);
            if (S && S->Skipped) continue;
            if (!S) {
                const std::string Href = FClient.HrefFor(Uid);
                TCalDavClient::TWrite W = FClient.Put(Href, ExportCalendar({L}, FZone), "");
                if (W.Done) {
                    ++FReport.Pushed;
                    Agree(Href, Uid, W.ETag, L.Entry);
                } else if (!W.Refused) {
                    Refetch(Href);  // the server already holds a resource there
                } else {
                    Sent(W, L);
                }
            } else if (EntryText(L.Entry) != S->Agreed) {
                const std::string Href = S->Target;
                TCalDavClient::TWrite W = FClient.Put(Href, ExportCalendar({L}, FZone), S->ETag);
                if (W.Done) {
                    ++FReport.Pushed;
                    Agree(Href, Uid, W.ETag, L.Entry);
                } else if (!W.Refused) {
                    Refetch(Href);
                } else {
                    Sent(W, L);
                }
            }
            Step();
        }
        std::vector<TAgreement> Gone;
        for (const auto& [Path, Row] : FState->Rows())
            if (!Row.Skipped && !FLocal.count(Row.Uid) && !FHandled.count(Row.Uid)) Gone.push_back(Row);
        for (const auto& Row : Gone) {
            FHandled.insert(Row.Uid);
            if (FClient.Delete(Row.Target, Row.ETag).Done) {
                ++FReport.DeletedRemote;
                FState->Forget(Row.Href);
            } else {
                Refetch(Row.Target);  // changed there meanwhile: the change wins over our deletion
            }
        }
    }

    // False when the server did not take the entry: changed meanwhile (settled next run) or refused
    // (reported; the entry stays as it is here and is offered again next time).
    bool Sent(const TCalDavClient::TWrite& W, const TStoredEntry& L) {
        if (W.Done) return true;
        FDeferred = FDeferred || !W.Refused;
        if (W.Refused)
            FReport.Skipped.push_back(
                NoteOf(L.Entry, L.Id.Uid,
                       Say("서버가 이 일정을 받지 않았습니다 (", "the server refused this entry (") +
                           std::to_string(W.Refused) + ")"));
        return false;
    }

    // 412: the server changed the resource behind our back; settle it as a change from there.
    void Refetch(const std::string& Href) {
        auto Got = FClient.Fetch({Href});
        if (Got.empty()) {
            FDeferred = true;
            return;
        }
        Pull(Got[0]);
    }

    static bool ParseEntryText(const std::string& Text, TEntry& E);

    TCalDavClient& FClient;
    TEntryStore& FStore;
    const TSyncProgress& FProgress;
    std::string FDb;
    AnsiString FZone;
    TSyncState* FState = nullptr;
    TSyncReport FReport;
    std::map<std::string, TStoredEntry> FLocal;  // by UID
    std::set<std::string> FHandled;              // UIDs settled in this run
    std::string FNewToken, FCTag;
    bool FDeferred = false;
    size_t FDone = 0, FTotal = 0;
};

constexpr char Sep = '\x1f';

bool TSync::ParseEntryText(const std::string& Text, TEntry& E) {
    AnsiString* Fields[] = {&E.Year,    &E.Month, &E.Day,      &E.Time, &E.StartTime,
                            &E.EndTime, &E.TiTle, &E.MemoFile, &E.Memo};
    size_t Pos = 0;
    for (size_t I = 0; I < 9; ++I) {
        size_t End = I == 8 ? Text.size() : Text.find(Sep, Pos);
        if (End == std::string::npos) return false;
        *Fields[I] = Text.substr(Pos, End - Pos);
        Pos = End + 1;
    }
    return true;
}

}  // namespace

std::string EntryText(const TEntry& E) {
    std::string S;
    for (const AnsiString* F :
         {&E.Year, &E.Month, &E.Day, &E.Time, &E.StartTime, &E.EndTime, &E.TiTle, &E.MemoFile})
        S += *F + Sep;
    return S + E.Memo;
}

namespace {

std::string JsonString(const std::string& S) {
    std::string Out = "\"";
    for (unsigned char C : S) {
        if (C == '"' || C == '\\') {
            Out += '\\';
            Out += static_cast<char>(C);
        } else if (C < 0x20) {
            char Buf[8];
            std::snprintf(Buf, sizeof Buf, "\\u%04x", C);
            Out += Buf;
        } else {
            Out += static_cast<char>(C);
        }
    }
    return Out + "\"";
}

std::string NoteJson(const TEventNote& N, const std::string& Extra = "") {
    return "{\"uid\": " + JsonString(N.Uid) + ", \"start\": " + JsonString(N.Start) +
           ", \"summary\": " + JsonString(N.Summary) + ", \"reason\": " + JsonString(N.Reason) + Extra + "}";
}

}  // namespace

std::string SyncJson(const TSyncReport& R) {
    std::string S = "{\"pushed\": " + std::to_string(R.Pushed) + ", \"pulled\": " + std::to_string(R.Pulled) +
                    ", \"deleted_remote\": " + std::to_string(R.DeletedRemote) +
                    ", \"deleted_local\": " + std::to_string(R.DeletedLocal) + ", \"conflicts\": [";
    for (size_t I = 0; I < R.Conflicts.size(); ++I) {
        const TConflict& C = R.Conflicts[I];
        S += (I ? ", " : "") +
             NoteJson(C.Event, std::string(", \"winner\": ") + (C.LocalWon ? "\"local\"" : "\"server\"") +
                                   ", \"kept\": " + JsonString(C.Kept));
    }
    S += "], \"skipped\": [";
    for (size_t I = 0; I < R.Skipped.size(); ++I) S += (I ? ", " : "") + NoteJson(R.Skipped[I]);
    return S + "]}";
}

std::string SyncSummary(const TSyncReport& R, bool Korean) {
    char Buf[256];
    if (Korean)
        std::snprintf(
            Buf, sizeof Buf,
            "동기화 완료: 보냄 %d, 받음 %d, 서버에서 삭제 %d, 이 컴퓨터에서 삭제 %d, 충돌 %zu, 건너뜀 %zu",
            R.Pushed, R.Pulled, R.DeletedRemote, R.DeletedLocal, R.Conflicts.size(), R.Skipped.size());
    else
        std::snprintf(Buf, sizeof Buf,
                      "Sync done: %d sent, %d received, %d deleted on the server, %d deleted here, %zu "
                      "conflicts, %zu skipped",
                      R.Pushed, R.Pulled, R.DeletedRemote, R.DeletedLocal, R.Conflicts.size(),
                      R.Skipped.size());
    return Buf;
}

TSyncReport Synchronize(TCalDavClient& Client, TEntryStore& Store, const TSyncProgress& Progress,
                        const std::string& DatabaseName) {
    return TSync(Client, Store, Progress, DatabaseName).Run();
}

}  // namespace Sync
