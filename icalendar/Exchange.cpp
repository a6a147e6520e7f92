#include <cstdlib>

#include "icalendar/EntryStore.h"
#include "icalendar/Text.h"
#include "platform/rtl/Dates.h"

namespace ICalendar {

bool ParseCalDay(const AnsiString& Text, TCalDay& Day) {
    if (Text.size() != 10 || Text[4] != '-' || Text[7] != '-') return false;
    for (size_t I : {0, 1, 2, 3, 5, 6, 8, 9})
        if (Text[I] < '0' || Text[I] > '9') return false;
    TCalDay D{std::atoi(Text.substr(0, 4).c_str()), std::atoi(Text.substr(5, 2).c_str()),
              std::atoi(Text.substr(8, 2).c_str())};
    TDateTime Unused;
    if (D.Year < 1 || !TryEncodeDate(D.Year, D.Month, D.Day, Unused)) return false;
    Day = D;
    return true;
}

AnsiString CalDayText(const TCalDay& D) {
    return Format("%04d-%02d-%02d", D.Year, D.Month, D.Day);
}

bool KoreanLocale() {
    for (const char* Name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* V = std::getenv(Name);
        if (V && *V) return AnsiString(V).rfind("ko", 0) == 0;
    }
    return false;
}

namespace {
void JsonString(std::string& Out, const AnsiString& S) {
    Out += '"';
    for (unsigned char C : S) {
        switch (C) {
            case '"':
                Out += "\\\"";
                break;
            case '\\':
                Out += "\\\\";
                break;
            case '\n':
                Out += "\\n";
                break;
            case '\r':
                Out += "\\r";
                break;
            case '\t':
                Out += "\\t";
                break;
            default:
                if (C < 0x20)
                    Out += Format("\\u%04x", C);
                else
                    Out += static_cast<char>(C);
        }
    }
    Out += '"';
}

void JsonNotes(std::string& Out, const std::vector<TEventNote>& Notes) {
    Out += '[';
    for (size_t I = 0; I < Notes.size(); ++I) {
        const TEventNote& N = Notes[I];
        Out += I ? ", {\"uid\": " : "{\"uid\": ";
        JsonString(Out, ValidUtf8(N.Uid));
        Out += ", \"start\": ";
        JsonString(Out, ValidUtf8(N.Start));
        Out += ", \"summary\": ";
        JsonString(Out, ValidUtf8(N.Summary));
        Out += ", \"reason\": ";
        JsonString(Out, N.Reason);
        Out += '}';
    }
    Out += ']';
}
}  // namespace

std::string ExportJson(int Exported) {
    return "{\"exported\": " + std::to_string(Exported) + "}";
}

std::string ImportJson(const TImportReport& R) {
    std::string Out = "{\"imported\": " + std::to_string(R.Imported) +
                      ", \"updated\": " + std::to_string(R.Updated) +
                      ", \"unchanged\": " + std::to_string(R.Unchanged) + ", \"adjusted\": ";
    JsonNotes(Out, R.Adjusted);
    Out += ", \"skipped\": ";
    JsonNotes(Out, R.Skipped);
    return Out + "}";
}

AnsiString ExportSummary(int Exported, bool Korean) {
    return Korean ? Format("일정 %d건을 내보냈습니다.", Exported)
                  : Format("Exported %d %s.", Exported, Exported == 1 ? "entry" : "entries");
}

AnsiString ImportSummary(const TImportReport& R, bool DryRun, bool Korean) {
    int Adjusted = static_cast<int>(R.Adjusted.size()), Skipped = static_cast<int>(R.Skipped.size());
    if (Korean)
        return Format("%s새 일정 %d건, 바뀐 일정 %d건, 그대로인 일정 %d건, 맞춘 일정 %d건, 건너뛴 일정 %d건.",
                      DryRun ? "(시험 실행, 아무것도 쓰지 않음) " : "", R.Imported, R.Updated, R.Unchanged,
                      Adjusted, Skipped);
    return Format("%sImported %d, updated %d, unchanged %d, adjusted %d, skipped %d.",
                  DryRun ? "(dry run, nothing written) " : "", R.Imported, R.Updated, R.Unchanged, Adjusted,
                  Skipped);
}

}  // namespace ICalendar
