#include <filesystem>

#include "app/ScheduleMenu.h"
#include "app/UserMessages.h"
#include "app/exchange/Commands.h"
#include "icalendar/EntryStore.h"
#include "platform/rtl/AtomicFile.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

using namespace ICalendar;

namespace Exchange {

using ScheduleMenu::RefreshWindow;

namespace {
// Files with more events than this get a progress bar.
constexpr size_t ProgressFrom = 300;
constexpr int ListedNotes = 20;
constexpr uintmax_t MaxFileSize = 256u << 20;
const char* const Filter = "iCalendar (*.ics *.ical *.ifb);;모든 파일 (*)";

AnsiString NoteLines(const char* Heading, const std::vector<TEventNote>& Notes) {
    if (Notes.empty()) return {};
    AnsiString Out = AnsiString("\n\n") + Heading;
    for (size_t I = 0; I < Notes.size() && I < static_cast<size_t>(ListedNotes); ++I) {
        const TEventNote& N = Notes[I];
        Out += "\n· " + (N.Start.empty() ? AnsiString() : N.Start + " ") +
               (N.Summary.empty() ? AnsiString("(제목 없음)") : N.Summary) + " — " + N.Reason;
    }
    if (Notes.size() > static_cast<size_t>(ListedNotes))
        Out += Format("\n… 외 %d건", static_cast<int>(Notes.size()) - ListedNotes);
    return Out;
}

void Failed(const Exception& E, const AnsiString& Doing, const AnsiString& Caption) {
    AnsiString Text = dynamic_cast<const EICalendarError*>(&E)
                          ? E.Message() + "\n" + Doing + " 아무것도 바뀌지 않았습니다."
                          : UserMessage(E, Doing);
    Application->MessageBox(Text, Caption, MB_OK | MB_ICONERROR);
}
}  // namespace

void ExportCalendar() {
    const char* Caption = "iCalendar 파일로 내보내기";
    AnsiString Name = "agendix.ics";
    if (!PromptForFileName(Name, Filter, Caption, true)) return;
    try {
        TEntryStore Store;
        TExportResult R = ExportEntries(Store, {}, UserTimeZone());
        WriteFileAtomic(Name, R.Text);
        Application->MessageBox(ExportSummary(R.Exported, true) + "\n" + Name, Caption,
                                MB_OK | MB_ICONINFORMATION);
    } catch (const Exception& E) {
        Failed(E, "일정을 내보내지 못했습니다.", Caption);
    }
}

void ImportCalendar() {
    const char* Caption = "iCalendar 파일 가져오기";
    AnsiString Name;
    if (!PromptForFileName(Name, Filter, Caption, false)) return;
    try {
        std::error_code Ec;
        if (std::filesystem::file_size(Drives::ToNative(Name), Ec) > MaxFileSize && !Ec)
            throw EICalendarError("파일이 너무 큽니다 (256 MB 초과).");
        std::string Text = ReadFileBytes(Name);
        std::unique_ptr<TProgressWindow> Progress;
        TImportReport R;
        {
            // The schedule's rows are read while the file is parsed; progress counts each event twice.
            TEntryStore Store;
            R = Store.Import(Text, {}, false, [&](size_t Done, size_t Total) {
                if (!Progress && Total / 2 > ProgressFrom)
                    Progress = std::make_unique<TProgressWindow>(Caption, "일정을 가져오는 중입니다…");
                if (Progress) Progress->Update(Done, Total);
            });
        }
        Progress.reset();
        RefreshWindow();
        Application->MessageBox(ImportSummary(R, false, true) + NoteLines("맞춘 일정:", R.Adjusted) +
                                    NoteLines("건너뛴 일정:", R.Skipped),
                                Caption, MB_OK | (R.Skipped.empty() ? MB_ICONINFORMATION : MB_ICONWARNING));
    } catch (const Exception& E) {
        RefreshWindow();
        Failed(E, "일정을 가져오지 못했습니다.", Caption);
    }
}

}  // namespace Exchange
