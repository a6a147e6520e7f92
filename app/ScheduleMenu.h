#pragma once
#include "platform/ui/Controls.h"

class TForm;

// The main window's context menu (right button anywhere on the window, and the Menu key): the
// schedule to and from iCalendar files. Other features add their own items to it.
namespace ScheduleMenu {

// Builds the menu and gives it to Form, so that every control of the window shows it.
TPopupMenu* Install(TForm* Form);
// The installed menu, or nullptr before Install.
TPopupMenu* Menu();
// Adds an item at the end of the installed menu (e.g. "지금 동기화").
TMenuItem* AddItem(const AnsiString& Caption, TNotifyEvent OnClick);
// What the window does after a save: the month summary and the day timetable read afresh.
void RefreshWindow();

// Captions of the menu's items.
inline constexpr const char* ExportCaption = "iCalendar 파일로 내보내기…";
inline constexpr const char* ImportCaption = "iCalendar 파일 가져오기…";

}  // namespace ScheduleMenu
