#include "icalendar/Mapping.h"

#include <libical/ical.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <set>

#include "icalendar/Text.h"
#include "platform/rtl/Dates.h"
#include "store/Schedule.h"

namespace ICalendar {

namespace {

struct TComponentFree {
    void operator()(icalcomponent* C) const { icalcomponent_free(C); }
};
using TComponentPtr = std::unique_ptr<icalcomponent, TComponentFree>;

struct TIteratorFree {
    void operator()(icalrecur_iterator* I) const { icalrecur_iterator_free(I); }
};

// Recurring events are expanded at most this far; a rule that yields more is skipped whole.
constexpr int MaxOccurrences = 5000;
constexpr int MaxIterations = 200000;

void QuietLibical() {
    static bool Done = [] {
        icalerror_set_errors_are_fatal(0);
        return true;
    }();
    (void)Done;
}

icaltimezone* BuiltinZone(const AnsiString& Name) {
    if (Name.empty() || Name.find('/') == AnsiString::npos) return nullptr;
    return icaltimezone_get_builtin_timezone(Name.c_str());
}

// Windows zone names, as Outlook and Exchange write them in TZID, to the IANA zone of their
// principal territory.
const std::map<AnsiString, const char*>& WindowsZones() {
    static const std::map<AnsiString, const char*> Map = {
        {"Korea Standard Time", "Asia/Seoul"},
        {"Tokyo Standard Time", "Asia/Tokyo"},
        {"China Standard Time", "Asia/Shanghai"},
        {"Taipei Standard Time", "Asia/Taipei"},
        {"Singapore Standard Time", "Asia/Singapore"},
        {"SE Asia Standard Time", "Asia/Bangkok"},
        {"India Standard Time", "Asia/Kolkata"},
        {"Arabian Standard Time", "Asia/Dubai"},
        {"Israel Standard Time", "Asia/Jerusalem"},
        {"Russian Standard Time", "Europe/Moscow"},
        {"Turkey Standard Time", "Europe/Istanbul"},
        {"GTB Standard Time", "Europe/Bucharest"},
        {"FLE Standard Time", "Europe/Kiev"},
        {"E. Europe Standard Time", "Europe/Chisinau"},
        {"W. Europe Standard Time", "Europe/Berlin"},
        {"Central Europe Standard Time", "Europe/Budapest"},
        {"Central European Standard Time", "Europe/Warsaw"},
        {"Romance Standard Time", "Europe/Paris"},
        {"GMT Standard Time", "Europe/London"},
        {"Greenwich Standard Time", "Atlantic/Reykjavik"},
        {"UTC", "Etc/UTC"},
        {"Coordinated Universal Time", "Etc/UTC"},
        {"E. South America Standard Time", "America/Sao_Paulo"},
        {"Argentina Standard Time", "America/Buenos_Aires"},
        {"Atlantic Standard Time", "America/Halifax"},
        {"Eastern Standard Time", "America/New_York"},
        {"Central Standard Time", "America/Chicago"},
        {"Mountain Standard Time", "America/Denver"},
        {"US Mountain Standard Time", "America/Phoenix"},
        {"Pacific Standard Time", "America/Los_Angeles"},
        {"Alaskan Standard Time", "America/Anchorage"},
        {"Hawaiian Standard Time", "Pacific/Honolulu"},
        {"Central Standard Time (Mexico)", "America/Mexico_City"},
        {"Canada Central Standard Time", "America/Regina"},
        {"Newfoundland Standard Time", "America/St_Johns"},
        {"AUS Eastern Standard Time", "Australia/Sydney"},
        {"E. Australia Standard Time", "Australia/Brisbane"},
        {"Cen. Australia Standard Time", "Australia/Adelaide"},
        {"W. Australia Standard Time", "Australia/Perth"},
        {"New Zealand Standard Time", "Pacific/Auckland"},
        {"South Africa Standard Time", "Africa/Johannesburg"},
        {"Egypt Standard Time", "Africa/Cairo"},
        {"W. Central Africa Standard Time", "Africa/Lagos"},
        {"Iran Standard Time", "Asia/Tehran"},
        {"Pakistan Standard Time", "Asia/Karachi"},
        {"Bangladesh Standard Time", "Asia/Dhaka"},
        {"North Asia East Standard Time", "Asia/Irkutsk"},
        {"Vladivostok Standard Time", "Asia/Vladivostok"},
        {"Ulaanbaatar Standard Time", "Asia/Ulaanbaatar"},
    };
    return Map;
}

AnsiString Two(int V) {
    return V < 10 ? "0" + IntToStr(V) : IntToStr(V);
}

AnsiString LocalText(const icaltimetype& T) {
    return IntToStr(T.year) + "-" + Two(T.month) + "-" + Two(T.day) + " " + Two(T.hour) + ":" + Two(T.minute);
}

AnsiString IcalText(const icaltimetype& T) {
    char* S = icaltime_as_ical_string_r(T);
    AnsiString R = S ? S : "";
    std::free(S);
    return R;
}

// A stored UTC stamp, or now when there is none. Rows written together share their stamps, so
// the last text read is kept.
struct TStamps {
    AnsiString Text;
    icaltimetype Time = icaltime_null_time();
    bool Read = false;
    icaltimetype Utc(const AnsiString& S) {
        if (Read && S == Text) return Time;
        icaltimetype T = S.empty() ? icaltime_null_time() : icaltime_from_string(S.c_str());
        if (icaltime_is_null_time(T) || !icaltime_is_valid_time(T))
            T = icaltime_current_time_with_zone(icaltimezone_get_utc_timezone());
        Time = icaltime_convert_to_zone(T, icaltimezone_get_utc_timezone());
        Text = S;
        Read = true;
        return Time;
    }
};

icaltimetype LocalTime(const TCalDay& D, int Minutes) {
    icaltimetype T = icaltime_null_time();
    T.year = D.Year;
    T.month = D.Month;
    T.day = D.Day;
    T.hour = Minutes / 60;
    T.minute = Minutes % 60;
    return T;
}

void AddZoned(icalcomponent* Event, icalproperty* P, const AnsiString& Zone) {
    icalproperty_add_parameter(P, icalparameter_new_tzid(Zone.c_str()));
    icalcomponent_add_property(Event, P);
}

// The minutes after midnight of a half-hour index 0..31.
int IndexMinutes(int Index) {
    return (6 + Index / 2) * 60 + (Index % 2) * 30;
}

int ValidIndex(const AnsiString& Text) {
    int I = StrToIntDef(Text, -1);
    return I >= 0 && I <= 31 && IntToStr(I) == Text ? I : -1;
}

}  // namespace

// ---- time zone

AnsiString UserTimeZone() {
    QuietLibical();
    std::vector<AnsiString> Candidates;
    if (const char* Tz = std::getenv("TZ"); Tz && *Tz) Candidates.push_back(Tz[0] == ':' ? Tz + 1 : Tz);
    std::ifstream Etc("/etc/timezone");
    if (AnsiString Line; Etc && std::getline(Etc, Line)) Candidates.push_back(Trim(Line));
    char Link[512];
    ssize_t N = readlink("/etc/localtime", Link, sizeof Link - 1);
    if (N > 0) {
        AnsiString Target(Link, static_cast<size_t>(N));
        auto At = Target.find("zoneinfo/");
        if (At != AnsiString::npos) Candidates.push_back(Target.substr(At + 9));
    }
    for (auto& C : Candidates) {
        AnsiString Name = C.rfind("posix/", 0) == 0 ? C.substr(6) : C;
        if (BuiltinZone(Name)) return Name;
    }
    return "Asia/Seoul";
}

// ---- export

namespace {
icalcomponent* EntryEvent(const TStoredEntry& S, const AnsiString& Zone, TStamps& Created,
                          TStamps& Modified) {
    const TEntry& E = S.Entry;
    TCalDay Day{StrToIntDef(E.Year, 0), StrToIntDef(E.Month, 0), StrToIntDef(E.Day, 0)};
    int Hour = StrToIntDef(E.Time, -1);
    int StartIndex = ValidIndex(E.StartTime);
    int StartMin = StartIndex >= 0 ? IndexMinutes(StartIndex) : Hour * 60;
    int FromIndex = StartIndex >= 0 ? StartIndex : (Hour - 6) * 2;
    int EndIndex = ValidIndex(E.EndTime);
    bool EndValid = EndIndex > FromIndex;
    int EndMin = EndValid ? IndexMinutes(EndIndex) : StartMin + 60;

    icalcomponent* Ev = icalcomponent_new(ICAL_VEVENT_COMPONENT);
    icalcomponent_add_property(Ev, icalproperty_new_uid(S.Id.Uid.c_str()));
    icaltimetype Changed = Modified.Utc(S.Id.LastModified);
    icalcomponent_add_property(Ev, icalproperty_new_dtstamp(Changed));
    icalcomponent_add_property(Ev, icalproperty_new_created(Created.Utc(S.Id.Created)));
    icalcomponent_add_property(Ev, icalproperty_new_lastmodified(Changed));
    if (!S.Id.Occurrence.empty()) {
        icaltimetype R = icaltime_from_string(S.Id.Occurrence.c_str());
        if (!icaltime_is_null_time(R)) icalcomponent_add_property(Ev, icalproperty_new_recurrenceid(R));
    }
    AddZoned(Ev, icalproperty_new_dtstart(LocalTime(Day, StartMin)), Zone);
    AddZoned(Ev, icalproperty_new_dtend(LocalTime(Day, EndMin)), Zone);
    icalcomponent_add_property(Ev, icalproperty_new_summary(E.TiTle.c_str()));
    if (!E.Memo.empty()) icalcomponent_add_property(Ev, icalproperty_new_description(E.Memo.c_str()));
    auto AddX = [&](const char* Name, const AnsiString& Value) {
        icalproperty* P = icalproperty_new_x(Value.c_str());
        icalproperty_set_x_name(P, Name);
        icalcomponent_add_property(Ev, P);
    };
    AddX("X-AGENDIX-SLOT", E.Time);
    // Texts that no half-hour index stands for travel as they are, so that a round trip is exact.
    if (StartIndex < 0) AddX("X-AGENDIX-STARTTIME", E.StartTime);
    if (!EndValid) AddX("X-AGENDIX-ENDTIME", E.EndTime);
    return Ev;
}
}  // namespace

namespace {
void Take(std::string& Out, char* Text) {
    if (Text) Out += Text;
    std::free(Text);
}

TComponentPtr NewCalendar(const AnsiString& Zone) {
    TComponentPtr Cal(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(Cal.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(Cal.get(), icalproperty_new_prodid("-//Agendix//Agendix 1.0//KO"));
    icalcomponent_add_property(Cal.get(), icalproperty_new_calscale("GREGORIAN"));
    if (icaltimezone* Tz = BuiltinZone(Zone)) {
        // The built-in zone's definition under its plain IANA name, which every reader knows.
        icalcomponent* Vtz = icalcomponent_new_clone(icaltimezone_get_component(Tz));
        if (icalproperty* Id = icalcomponent_get_first_property(Vtz, ICAL_TZID_PROPERTY))
            icalproperty_set_tzid(Id, Zone.c_str());
        icalcomponent_add_component(Cal.get(), Vtz);
    }
    return Cal;
}
}  // namespace

TCalendarText CalendarFrame(const AnsiString& Zone) {
    QuietLibical();
    TCalendarText T;
    Take(T.Head, icalcomponent_as_ical_string_r(NewCalendar(Zone).get()));
    size_t End = T.Head.rfind("END:VCALENDAR");
    if (End != std::string::npos) {
        T.Tail = T.Head.substr(End);
        T.Head.resize(End);
    }
    return T;
}

std::string ExportEvents(const TStoredEntry* First, size_t Count, const AnsiString& Zone, int& Exported) {
    QuietLibical();
    // Each event is written as a part of a calendar, appended and freed in turn (a tree of every
    // event at once is slow to build and to free).
    TComponentPtr Cal = NewCalendar(Zone);
    std::string Out;
    TStamps Created, Modified;
    for (const TStoredEntry* E = First; E != First + Count; ++E) {
        int Hour = StrToIntDef(E->Entry.Time, -1);
        TCalDay D{StrToIntDef(E->Entry.Year, 0), StrToIntDef(E->Entry.Month, 0),
                  StrToIntDef(E->Entry.Day, 0)};
        TDateTime Unused;
        if (Hour < 6 || Hour > 21 || !TryEncodeDate(D.Year, D.Month, D.Day, Unused)) continue;
        icalcomponent* Ev = EntryEvent(*E, Zone, Created, Modified);
        icalcomponent_add_component(Cal.get(), Ev);
        Take(Out, icalcomponent_as_ical_string_r(Ev));
        icalcomponent_remove_component(Cal.get(), Ev);
        icalcomponent_free(Ev);
        ++Exported;
    }
    return Out;
}

std::string ExportCalendar(const std::vector<TStoredEntry>& Entries, const AnsiString& Zone, int* Exported) {
    TCalendarText Frame = CalendarFrame(Zone);
    int Count = 0;
    std::string Out = Frame.Head + ExportEvents(Entries.data(), Entries.size(), Zone, Count) + Frame.Tail;
    if (Exported) *Exported = Count;
    return Out;
}

// ---- import

namespace {

struct TZoneResolver {
    icalcomponent* Cal;
    std::map<AnsiString, icaltimezone*> Found;

    // The zone a TZID names: the file's own VTIMEZONE, a built-in IANA zone, or a Windows name.
    // Null when nothing knows it.
    icaltimezone* Resolve(const AnsiString& Tzid) {
        auto It = Found.find(Tzid);
        if (It != Found.end()) return It->second;
        icaltimezone* Z = icalcomponent_get_timezone(Cal, Tzid.c_str());
        if (!Z) Z = BuiltinZone(Tzid);
        if (!Z) Z = icaltimezone_get_builtin_timezone_from_tzid(Tzid.c_str());
        if (!Z) {
            auto W = WindowsZones().find(Tzid);
            if (W != WindowsZones().end()) Z = BuiltinZone(W->second);
        }
        if (!Z && (Tzid == "UTC" || Tzid == "GMT" || Tzid == "Z")) Z = icaltimezone_get_utc_timezone();
        Found[Tzid] = Z;
        return Z;
    }
};

// A date-time property's value with its zone attached. False when its TZID is unknown.
// A date and time that exist: libical reads "20260532T250000" without complaint.
bool RealTime(const icaltimetype& T) {
    if (icaltime_is_null_time(T) || !icaltime_is_valid_time(T)) return false;
    if (T.year < 1 || T.year > 9999 || T.month < 1 || T.month > 12) return false;
    if (T.day < 1 || T.day > icaltime_days_in_month(T.month, T.year)) return false;
    return T.is_date ||
           (T.hour >= 0 && T.hour < 24 && T.minute >= 0 && T.minute < 60 && T.second >= 0 && T.second <= 60);
}

bool ZonedValue(TZoneResolver& Zones, icalproperty* P, icaltimetype T, icaltimetype& Out, AnsiString& Why) {
    Out = T;
    if (icaltime_is_utc(T) || T.is_date) return true;
    icalparameter* Param = icalproperty_get_first_parameter(P, ICAL_TZID_PARAMETER);
    if (!Param) return true;  // floating: the user's own clock
    const char* Tzid = icalparameter_get_tzid(Param);
    icaltimezone* Z = Tzid ? Zones.Resolve(Tzid) : nullptr;
    if (!Z) {
        Why = Say("알 수 없는 시간대입니다: ", "unknown time zone: ") + AnsiString(Tzid ? Tzid : "");
        return false;
    }
    Out.zone = Z;
    return true;
}

// The key of an occurrence: its start in UTC, or as written when floating.
AnsiString OccurrenceKey(icaltimetype T) {
    if (T.is_date) return IcalText(T);
    if (T.zone) T = icaltime_convert_to_zone(T, icaltimezone_get_utc_timezone());
    return IcalText(T);
}

icaltimetype ToUser(icaltimetype T, icaltimezone* User) {
    if (!T.zone) return T;  // floating stays on the wall clock
    return icaltime_convert_to_zone(T, User);
}

AnsiString PropText(icalproperty* P, const char* (*Get)(const icalproperty*)) {
    const char* V = P ? Get(P) : nullptr;
    return V ? AnsiString(V) : AnsiString();
}

AnsiString PropText(icalcomponent* C, icalproperty_kind Kind, const char* (*Get)(const icalproperty*)) {
    return PropText(icalcomponent_get_first_property(C, Kind), Get);
}

// The properties an event is read by, the first of each kind, found in one pass over them: a
// look-up by kind walks them all again each time.
struct TProps {
    icalproperty *Uid = nullptr, *Summary = nullptr, *Description = nullptr, *RecurrenceId = nullptr,
                 *Rrule = nullptr, *Rdate = nullptr, *Start = nullptr, *End = nullptr, *Duration = nullptr,
                 *LastModified = nullptr, *Stamp = nullptr, *Created = nullptr, *Slot = nullptr,
                 *RawStart = nullptr, *RawEnd = nullptr;

    static TProps Of(icalcomponent* C) {
        TProps Props;
        for (icalproperty* P = icalcomponent_get_first_property(C, ICAL_ANY_PROPERTY); P;
             P = icalcomponent_get_next_property(C, ICAL_ANY_PROPERTY))
            if (icalproperty** Found = Props.Place(P); Found && !*Found) *Found = P;
        return Props;
    }

  private:
    icalproperty** Place(icalproperty* P) {
        switch (icalproperty_isa(P)) {
            case ICAL_UID_PROPERTY:
                return &Uid;
            case ICAL_SUMMARY_PROPERTY:
                return &Summary;
            case ICAL_DESCRIPTION_PROPERTY:
                return &Description;
            case ICAL_RECURRENCEID_PROPERTY:
                return &RecurrenceId;
            case ICAL_RRULE_PROPERTY:
                return &Rrule;
            case ICAL_RDATE_PROPERTY:
                return &Rdate;
            case ICAL_DTSTART_PROPERTY:
                return &Start;
            case ICAL_DTEND_PROPERTY:
                return &End;
            case ICAL_DURATION_PROPERTY:
                return &Duration;
            case ICAL_LASTMODIFIED_PROPERTY:
                return &LastModified;
            case ICAL_DTSTAMP_PROPERTY:
                return &Stamp;
            case ICAL_CREATED_PROPERTY:
                return &Created;
            case ICAL_X_PROPERTY: {
                const char* N = icalproperty_get_x_name(P);
                if (!N) return nullptr;
                if (strcasecmp(N, "X-AGENDIX-SLOT") == 0) return &Slot;
                if (strcasecmp(N, "X-AGENDIX-STARTTIME") == 0) return &RawStart;
                if (strcasecmp(N, "X-AGENDIX-ENDTIME") == 0) return &RawEnd;
                return nullptr;
            }
            default:
                return nullptr;
        }
    }
};

AnsiString UtcPropText(icalproperty* P) {
    if (!P) return {};
    icaltimetype T = icalvalue_get_datetime(icalproperty_get_value(P));
    if (icaltime_is_null_time(T) || !icaltime_is_valid_time(T) || T.is_date) return {};
    if (!icaltime_is_utc(T)) T = icaltime_convert_to_zone(T, icaltimezone_get_utc_timezone());
    return IcalText(T);
}

// An event's description of itself, common to all its occurrences.
struct TEventInfo {
    TProps Props;
    AnsiString Uid, Summary, Description, Slot, RawStart, RawEnd, LastModified, Created;
    bool HasDuration = false;
    icaldurationtype Duration{};
};

TEventInfo InfoOf(icalcomponent* Ev) {
    TEventInfo I;
    const TProps& P = I.Props = TProps::Of(Ev);
    I.Uid = PropText(P.Uid, icalproperty_get_uid);
    I.Summary = PropText(P.Summary, icalproperty_get_summary);
    I.Description = PropText(P.Description, icalproperty_get_description);
    I.Slot = PropText(P.Slot, icalproperty_get_x);
    I.RawStart = PropText(P.RawStart, icalproperty_get_x);
    I.RawEnd = PropText(P.RawEnd, icalproperty_get_x);
    I.LastModified = UtcPropText(P.LastModified);
    if (I.LastModified.empty()) I.LastModified = UtcPropText(P.Stamp);
    I.Created = UtcPropText(P.Created);
    return I;
}

class TParser {
  public:
    TParser(icalcomponent* Cal, const TDayRange& Range, const AnsiString& Zone, TParsedCalendar& Out)
        : FZones{Cal, {}}, FRange(Range), FRecur(Range), FOut(Out) {
        // Recurring events need a bounded window: open ends take the default one's.
        uint16_t Y, M, D;
        DecodeDate(Date(), Y, M, D);
        TDayRange Default = DefaultRecurrenceWindow({Y, M, D});
        if (!FRecur.HasFrom) FRecur.From = Default.From;
        if (!FRecur.HasTo) FRecur.To = Default.To;
        FRecur.HasFrom = FRecur.HasTo = true;
        FUser = BuiltinZone(Zone);
        if (!FUser) FUser = BuiltinZone("Asia/Seoul");
    }

    void Run(icalcomponent* Cal) {
        // Overrides first, by UID, so that the occurrences they replace are left out.
        std::map<AnsiString, std::vector<icalcomponent*>> Overrides;
        std::set<AnsiString> Masters;
        for (icalcomponent* C = icalcomponent_get_first_component(Cal, ICAL_ANY_COMPONENT); C;
             C = icalcomponent_get_next_component(Cal, ICAL_ANY_COMPONENT)) {
            if (icalcomponent_isa(C) != ICAL_VEVENT_COMPONENT) continue;
            TProps P = TProps::Of(C);
            AnsiString Uid = PropText(P.Uid, icalproperty_get_uid);
            if (P.RecurrenceId)
                Overrides[Uid].push_back(C);
            else if (P.Rrule || P.Rdate)
                Masters.insert(Uid);
        }
        for (icalcomponent* C = icalcomponent_get_first_component(Cal, ICAL_ANY_COMPONENT); C;
             C = icalcomponent_get_next_component(Cal, ICAL_ANY_COMPONENT)) {
            icalcomponent_kind K = icalcomponent_isa(C);
            if (K == ICAL_VTIMEZONE_COMPONENT) continue;
            if (K != ICAL_VEVENT_COMPONENT) {
                const char* Name = icalcomponent_kind_to_string(K);
                Skip(C, Say("일정(VEVENT)이 아닌 항목입니다: ", "not an event: ") +
                            AnsiString(Name ? Name : "?"));
                continue;
            }
            TEventInfo Info = InfoOf(C);
            bool IsOverride = Info.Props.RecurrenceId != nullptr;
            if (IsOverride && Masters.count(Info.Uid)) continue;  // taken with its master below
            if (Masters.count(Info.Uid) && !IsOverride)
                Recurring(C, Info, Overrides[Info.Uid]);
            else
                Single(C, Info, IsOverride);
        }
    }

  private:
    void Skip(icalcomponent* C, const AnsiString& Why) {
        TEventNote N;
        N.Uid = PropText(C, ICAL_UID_PROPERTY, icalproperty_get_uid);
        N.Summary = ValidUtf8(PropText(C, ICAL_SUMMARY_PROPERTY, icalproperty_get_summary));
        if (icalproperty* P = icalcomponent_get_first_property(C, ICAL_DTSTART_PROPERTY))
            N.Start =
                ValidUtf8(icalproperty_get_value_as_string(P) ? icalproperty_get_value_as_string(P) : "");
        N.Reason = Why;
        FOut.Skipped.push_back(std::move(N));
    }

    void Note(const TEventInfo& I, const AnsiString& Start, const AnsiString& Why) {
        FOut.Skipped.push_back({I.Uid, Start, ValidUtf8(I.Summary), Why});
    }

    bool Start(const TProps& Props, icaltimetype& T, AnsiString& Why) {
        icalproperty* P = Props.Start;
        if (!P) {
            Why = Say("시작 시각(DTSTART)이 없습니다.", "no start time (DTSTART)");
            return false;
        }
        icaltimetype V = icalproperty_get_dtstart(P);
        if (!RealTime(V)) {
            Why = Say("시작 시각을 읽을 수 없습니다.", "unreadable start time");
            return false;
        }
        return ZonedValue(FZones, P, V, T, Why);
    }

    // The event's end for a start: DTEND, else DTSTART + DURATION, else the start itself.
    bool End(const TProps& Props, icaltimetype Begin, icaltimetype OriginalStart, icaltimetype& T,
             AnsiString& Why) {
        if (icalproperty* P = Props.End) {
            icaltimetype V = icalproperty_get_dtend(P);
            if (!RealTime(V)) {
                Why = Say("종료 시각을 읽을 수 없습니다.", "unreadable end time");
                return false;
            }
            if (!ZonedValue(FZones, P, V, T, Why)) return false;
            // An occurrence keeps the master's length.
            if (icaltime_compare(Begin, OriginalStart) != 0) {
                int Seconds = static_cast<int>(
                    icaltime_as_timet_with_zone(T, icaltimezone_get_utc_timezone()) -
                    icaltime_as_timet_with_zone(OriginalStart, icaltimezone_get_utc_timezone()));
                T = icaltime_add(Begin, icaldurationtype_from_int(Seconds));
            }
            return true;
        }
        if (icalproperty* P = Props.Duration) {
            icaldurationtype D = icalproperty_get_duration(P);
            if (icaldurationtype_is_bad_duration(D)) {
                Why = Say("기간(DURATION)을 읽을 수 없습니다.", "unreadable duration");
                return false;
            }
            T = icaltime_add(Begin, D);
            return true;
        }
        T = Begin;
        return true;
    }

    // One occurrence as an entry, or a note why not.
    void Occurrence(const TEventInfo& I, icaltimetype Begin, icaltimetype Finish, const AnsiString& Key,
                    bool Recurring) {
        if (Begin.is_date) {
            Note(I, IcalText(Begin), Say("종일 일정은 가져오지 않습니다.", "all-day event"));
            return;
        }
        icaltimetype S = ToUser(Begin, FUser), E = ToUser(Finish, FUser);
        TCalDay Day{S.year, S.month, S.day};
        if (!FRange.Contains(Day)) return;
        AnsiString StartText = LocalText(S);
        if (S.hour < 6 || S.hour >= 22) {
            Note(I, StartText,
                 Say("06:00 이전이나 22:00 이후에 시작하는 일정입니다.",
                     "starts before 06:00 or at 22:00 or later"));
            return;
        }
        if (icaltime_compare(E, S) < 0) E = S;
        TCalDay EndDay{E.year, E.month, E.day};
        bool Midnight = E.hour == 0 && E.minute == 0 && E.second == 0;
        icaltimetype DayAfter = S;
        DayAfter.day += 1;
        DayAfter = icaltime_normalize(DayAfter);
        bool EndsAtMidnight = Midnight && EndDay == TCalDay{DayAfter.year, DayAfter.month, DayAfter.day};
        if (!(EndDay == Day) && !EndsAtMidnight) {
            Note(I, StartText, Say("다른 날에 끝나는 일정입니다.", "ends on another day"));
            return;
        }

        TIncoming In;
        In.Uid = I.Uid;
        In.Occurrence = Recurring ? Key : AnsiString();
        In.LastModified = I.LastModified;
        In.Created = I.Created;
        In.Date = Day;
        In.StartText = StartText;
        In.Summary = ValidUtf8(I.Summary);

        int StartMin = S.hour * 60 + S.minute;
        int StartIndex = (S.hour - 6) * 2 + (S.minute >= 30 ? 1 : 0);
        bool StartSnapped = S.minute % 30 != 0 || S.second != 0;
        int EndSec = EndsAtMidnight ? 24 * 3600 : E.hour * 3600 + E.minute * 60 + E.second;
        int EndIndex = (EndSec - 6 * 3600 + 1799) / 1800;
        bool EndSnapped = EndSec % 1800 != 0;
        if (EndIndex > 31) {
            EndIndex = 31;
            EndSnapped = true;
        }
        if (EndIndex < StartIndex) EndIndex = StartIndex;

        int Slot = S.hour;
        if (I.Slot.size() == 2) {
            int V = StrToIntDef(I.Slot, -1);
            if (V >= 6 && V <= 21) Slot = V;
        }
        In.Hour = Slot;
        TEntry& En = In.Entry;
        En.Year = IntToStr(Day.Year);
        En.Month = IntToStr(Day.Month);
        En.Day = IntToStr(Day.Day);
        En.Time = Two(Slot);
        En.StartTime = IntToStr(StartIndex);
        En.EndTime = IntToStr(EndIndex);
        // Texts we wrote ourselves for a row without a valid index come back as they were, as
        // long as the times still are the ones we derived from them.
        int FromIndex = (Slot - 6) * 2;
        if (!I.RawStart.empty() && ValidIndex(I.RawStart) < 0 && !StartSnapped && StartMin == Slot * 60 &&
            I.RawStart.size() <= 2) {
            En.StartTime = I.RawStart;
            StartIndex = -1;
        }
        int Base = StartIndex >= 0 ? StartIndex : FromIndex;
        int BaseMin = StartIndex >= 0 ? IndexMinutes(StartIndex) : Slot * 60;
        bool RawEnd = !I.RawEnd.empty() && I.RawEnd.size() <= 2 && !(ValidIndex(I.RawEnd) > Base) &&
                      EndSec == (BaseMin + 60) * 60;
        if (RawEnd) En.EndTime = I.RawEnd;
        if (StartSnapped || (EndSnapped && !RawEnd))
            In.Adjustments.push_back(
                Say("시작·종료 시각을 30분 단위에 맞췄습니다.", "start and end snapped to the half hour"));

        AnsiString Title = ValidUtf8(I.Summary), Memo = NormalizeBreaks(ValidUtf8(I.Description));
        if (!Schedule::IsOneLine(Title)) {
            Title = OneLine(Title);
            In.Adjustments.push_back(
                Say("제목의 줄바꿈을 공백으로 바꿨습니다.", "line breaks in the title became spaces"));
        }
        bool Replaced = false;
        Title = ReplaceNonCp949(Title, Replaced);
        Memo = ReplaceNonCp949(Memo, Replaced);
        if (Replaced)
            In.Adjustments.push_back(Say("CP949로 저장할 수 없는 문자를 \"?\"로 바꿨습니다.",
                                         "characters CP949 cannot hold became \"?\""));
        if (Cp949Bytes(Title) > 50) {
            Memo = Memo.empty() ? Title : Title + "\n" + Memo;
            Title = CutCp949(Title, 50);
            In.Adjustments.push_back(
                Say("제목이 50바이트를 넘어 잘랐고, 전체 제목을 메모 첫 줄에 넣었습니다.",
                    "title over 50 bytes cut; the full title is the memo's first line"));
        }
        En.TiTle = Title;
        En.Memo = Memo;
        En.MemoFile = MemoName(En.Year, En.Month, En.Day, En.Time);
        FOut.Events.push_back(std::move(In));
    }

    // The event's UID (made up when missing), start and end; false when it was skipped.
    bool Span(icalcomponent* C, TEventInfo& I, icaltimetype& S, icaltimetype& E) {
        if (I.Uid.empty()) I.Uid = SyntheticUid(C);
        AnsiString Why;
        if (Start(I.Props, S, Why) && End(I.Props, S, S, E, Why)) return true;
        Skip(C, Why);
        return false;
    }

    void Single(icalcomponent* C, TEventInfo& I, bool IsOverride) {
        icaltimetype S, E;
        AnsiString Why;
        if (!Span(C, I, S, E)) return;
        AnsiString Key;
        if (IsOverride) {
            icalproperty* R = I.Props.RecurrenceId;
            icaltimetype RV;
            if (!ZonedValue(FZones, R, icalproperty_get_recurrenceid(R), RV, Why)) {
                Skip(C, Why);
                return;
            }
            Key = OccurrenceKey(RV);
        }
        Occurrence(I, S, E, Key, IsOverride);
    }

    void Recurring(icalcomponent* C, TEventInfo& I, const std::vector<icalcomponent*>& Overrides) {
        icaltimetype S, E;
        if (!Span(C, I, S, E)) return;
        if (S.is_date) {
            Note(I, IcalText(S), Say("종일 일정은 가져오지 않습니다.", "all-day event"));
            return;
        }
        // Overrides that replace an occurrence, by key.
        std::map<AnsiString, icalcomponent*> Replaced;
        for (icalcomponent* O : Overrides) {
            icalproperty* R = icalcomponent_get_first_property(O, ICAL_RECURRENCEID_PROPERTY);
            icaltimetype RV;
            AnsiString W;
            if (ZonedValue(FZones, R, icalproperty_get_recurrenceid(R), RV, W))
                Replaced[OccurrenceKey(RV)] = O;
        }
        std::set<AnsiString> Excluded;
        std::set<AnsiString> ExcludedDays;
        for (icalproperty* P = icalcomponent_get_first_property(C, ICAL_EXDATE_PROPERTY); P;
             P = icalcomponent_get_next_property(C, ICAL_EXDATE_PROPERTY)) {
            icaltimetype X;
            AnsiString W;
            if (!ZonedValue(FZones, P, icalproperty_get_exdate(P), X, W)) continue;
            if (X.is_date)
                ExcludedDays.insert(IcalText(X));
            else
                Excluded.insert(OccurrenceKey(X));
        }

        // The occurrences' starts in the event's own zone, those near the window only: the rule,
        // then RDATEs.
        std::vector<icaltimetype> Starts;
        bool TooMany = false;
        icaltimetype First = LocalTime(FRecur.From, 0), Limit = LocalTime(FRecur.To, 0);
        First.day -= 2;  // slack for zones behind or ahead of the event's
        Limit.day += 2;
        First = icaltime_normalize(First);
        Limit = icaltime_normalize(Limit);
        for (icalproperty* P = icalcomponent_get_first_property(C, ICAL_RRULE_PROPERTY); P && !TooMany;
             P = icalcomponent_get_next_property(C, ICAL_RRULE_PROPERTY)) {
            icalrecurrencetype Rule = icalproperty_get_rrule(P);
            if (Rule.freq == ICAL_NO_RECURRENCE) continue;
            std::unique_ptr<icalrecur_iterator, TIteratorFree> It(icalrecur_iterator_new(Rule, S));
            if (!It) {
                Note(I, LocalText(ToUser(S, FUser)),
                     Say("반복 규칙(RRULE)을 읽을 수 없습니다.", "unreadable recurrence rule"));
                return;
            }
            icaltimetype From = First;
            From.zone = S.zone;
            icaltimetype Wall = S;
            Wall.zone = nullptr;
            if (Rule.count == 0 && icaltime_compare(First, Wall) > 0 &&
                (icaltime_is_null_time(Rule.until) || icaltime_compare(From, Rule.until) < 0))
                icalrecur_iterator_set_start(It.get(), From);
            int Steps = 0;
            for (icaltimetype T = icalrecur_iterator_next(It.get()); !icaltime_is_null_time(T);
                 T = icalrecur_iterator_next(It.get())) {
                icaltimetype W = T;
                W.zone = nullptr;
                if (icaltime_compare(W, Limit) > 0) break;
                if (++Steps > MaxIterations || Starts.size() > static_cast<size_t>(MaxOccurrences)) {
                    TooMany = true;
                    break;
                }
                if (icaltime_compare(W, First) < 0) continue;
                T.zone = S.zone;
                Starts.push_back(T);
            }
        }
        for (icalproperty* P = icalcomponent_get_first_property(C, ICAL_RDATE_PROPERTY); P;
             P = icalcomponent_get_next_property(C, ICAL_RDATE_PROPERTY)) {
            icaldatetimeperiodtype R = icalproperty_get_rdate(P);
            icaltimetype T = icaltime_is_null_time(R.time) ? R.period.start : R.time;
            icaltimetype Z;
            AnsiString W;
            if (!icaltime_is_null_time(T) && ZonedValue(FZones, P, T, Z, W)) Starts.push_back(Z);
        }

        std::vector<std::pair<icaltimetype, AnsiString>> Kept;
        std::set<AnsiString> Seen;
        for (auto& T : Starts) {
            AnsiString Key = OccurrenceKey(T);
            if (!Seen.insert(Key).second || Excluded.count(Key) || Replaced.count(Key)) continue;
            icaltimetype DateOnly = T;
            DateOnly.is_date = 1;
            DateOnly.hour = DateOnly.minute = DateOnly.second = 0;
            DateOnly.zone = nullptr;
            if (ExcludedDays.count(IcalText(DateOnly))) continue;
            icaltimetype U = ToUser(T, FUser);
            if (!FRecur.Contains({U.year, U.month, U.day})) continue;
            Kept.emplace_back(T, Key);
        }
        if (TooMany || Kept.size() > static_cast<size_t>(MaxOccurrences)) {
            Note(I, LocalText(ToUser(S, FUser)),
                 Format(Say("반복 횟수가 너무 많습니다 (가져오는 범위에서 %d회 초과).",
                            "too many occurrences (more than %d in the import range)"),
                        MaxOccurrences));
            return;
        }
        std::sort(Kept.begin(), Kept.end(),
                  [](auto& A, auto& B) { return icaltime_compare(A.first, B.first) < 0; });
        for (auto& [T, Key] : Kept) {
            icaltimetype E2;
            AnsiString W;
            if (!End(I.Props, T, S, E2, W)) {
                Note(I, LocalText(ToUser(T, FUser)), W);
                continue;
            }
            Occurrence(I, T, E2, Key, true);
        }
        for (auto& [Key, O] : Replaced) {
            TEventInfo OI = InfoOf(O);
            if (OI.Uid.empty()) OI.Uid = I.Uid;
            icaltimetype OS, OE;
            AnsiString W;
            if (!Start(OI.Props, OS, W) || !End(OI.Props, OS, OS, OE, W)) {
                Skip(O, W);
                continue;
            }
            Occurrence(OI, OS, OE, Key, true);
        }
    }

    // Events without a UID are known again by their start and summary.
    static AnsiString SyntheticUid(icalcomponent* C) {
        AnsiString Seed = PropText(C, ICAL_SUMMARY_PROPERTY, icalproperty_get_summary);
        if (icalproperty* P = icalcomponent_get_first_property(C, ICAL_DTSTART_PROPERTY))
            if (const char* V = icalproperty_get_value_as_string(P)) Seed += V;
        uint64_t H = 1469598103934665603ull;
        for (unsigned char Ch : Seed) H = (H ^ Ch) * 1099511628211ull;
        return Format("nouid-%016llx@agendix", static_cast<unsigned long long>(H));
    }

    TZoneResolver FZones;
    TDayRange FRange, FRecur;
    TParsedCalendar& FOut;
    icaltimezone* FUser = nullptr;
};

}  // namespace

namespace {
// The parser reads a long physical line in time that grows with its square, so lines that no
// conforming writer makes are folded here as RFC 5545 folds them; unfolding gives the same text.
// False, and Out untouched, when there is no such line.
bool FoldLongLines(const std::string& Text, std::string& Out) {
    constexpr size_t Long = 4096, Width = 74;
    size_t Start = 0;
    bool Any = false;
    for (size_t End; Start < Text.size() && !Any; Start = End + 1) {
        End = Text.find('\n', Start);
        if (End == std::string::npos) End = Text.size();
        Any = End - Start > Long;
    }
    if (!Any) return false;
    Out.reserve(Text.size() + Text.size() / Width * 3);
    size_t Column = 0;
    for (char C : Text) {
        if (C == '\n') {
            Column = 0;
        } else if (C != '\r' && ++Column > Width) {
            Out += "\r\n ";
            Column = 2;
        }
        Out += C;
    }
    return true;
}
}  // namespace

TDayRange DefaultRecurrenceWindow(const TCalDay& Today) {
    TDayRange R;
    R.HasFrom = R.HasTo = true;
    R.From = {Today.Year - 1, Today.Month, Today.Day};
    R.To = {Today.Year + 2, Today.Month, Today.Day};
    if (R.From.Month == 2 && R.From.Day == 29) R.From.Day = 28;
    if (R.To.Month == 2 && R.To.Day == 29) R.To.Day = 28;
    return R;
}

TParsedCalendar ParseCalendar(const std::string& Text, const TDayRange& Range, const AnsiString& Zone) {
    TParsedCalendar Out;
    ParseCalendar(Text, Range, Zone, [&](TParsedCalendar Parsed) { Out = std::move(Parsed); });
    return Out;
}

void ParseCalendar(const std::string& Input, const TDayRange& Range, const AnsiString& Zone,
                   const std::function<void(TParsedCalendar)>& Ready) {
    QuietLibical();
    if (Input.find('\0') != std::string::npos)
        throw EICalendarError(Say("iCalendar 파일이 아닙니다: 이진 데이터가 들어 있습니다.",
                                  "not an iCalendar file: it holds binary data"));
    // What is not a calendar is refused before anything reads the whole of it.
    if (UpperCase(Input.substr(0, std::min<size_t>(Input.size(), 1 << 16))).find("BEGIN:VCALENDAR") ==
        std::string::npos)
        throw EICalendarError(Say("iCalendar 파일이 아닙니다: BEGIN:VCALENDAR 가 없습니다.",
                                  "not an iCalendar file: no BEGIN:VCALENDAR"));
    // A file with bare CR line ends is still read line by line. The text is copied only to change it.
    const std::string* Text = &Input;
    std::string Lines, Folded;
    if (Input.find('\n') == std::string::npos) {
        Lines = Input;
        for (char& C : Lines)
            if (C == '\r') C = '\n';
        Text = &Lines;
    }
    if (FoldLongLines(*Text, Folded)) Text = &Folded;
    TComponentPtr Root(icalparser_parse_string(Text->c_str()));
    if (!Root)
        throw EICalendarError(
            Say("iCalendar 파일을 읽을 수 없습니다: 달력(VCALENDAR)이 끝나지 않았거나 깨져 있습니다.",
                "cannot read the iCalendar file: the calendar is unfinished or broken"));
    std::vector<icalcomponent*> Calendars;
    if (icalcomponent_isa(Root.get()) == ICAL_VCALENDAR_COMPONENT) {
        Calendars.push_back(Root.get());
    } else {
        for (icalcomponent* C = icalcomponent_get_first_component(Root.get(), ICAL_VCALENDAR_COMPONENT); C;
             C = icalcomponent_get_next_component(Root.get(), ICAL_VCALENDAR_COMPONENT))
            Calendars.push_back(C);
    }
    if (Calendars.empty())
        throw EICalendarError(Say("iCalendar 파일이 아닙니다: 달력(VCALENDAR)이 없습니다.",
                                  "not an iCalendar file: no VCALENDAR"));
    TParsedCalendar Out;
    for (icalcomponent* Cal : Calendars) TParser(Cal, Range, Zone, Out).Run(Cal);
    Ready(std::move(Out));
}

}  // namespace ICalendar
