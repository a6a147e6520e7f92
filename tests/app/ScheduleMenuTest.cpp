#include "app/ScheduleMenu.h"
#include "platform/ui/Dialogs.h"
#include "tests/app/AppFixture.h"

namespace {

std::string Event(const std::string& Uid, const std::string& Start, const std::string& End,
                  const std::string& Title) {
    return VEvent(Uid, "DTSTART:" + Start + "\nDTEND:" + End + "\nSUMMARY:" + Title + "\n");
}

class ScheduleMenuTest : public AppTest {
  protected:
    void SetUp() override {
        Start(2024, 5, 10);
        ScheduleMenu::Install(Form1);
    }
    TempDir Files;
};

// The right button anywhere on the window and the Menu key show the menu; export writes a file
// that holds the entries and says how many.
TEST_F(ScheduleMenuTest, ExportFromTheContextMenu) {
    CreateEntry(Form1->Lbl_09, "회의 준비", {"첫 줄", "둘째 줄"});
    TestDriver::TMenuChoices Menu({"", ScheduleMenu::ExportCaption});
    TestDriver::TFileDialogAnswers Dialog({Files / "out.ics"});
    TestDriver::TMessageBoxAnswers Boxes;

    TestDriver::RightClickAt(Form1->DBGrid1, 20, 40);
    Form1->Cal_CurrMonth->SetFocus();
    TestDriver::ProcessEvents();
    TestDriver::PressKey(Form1->Cal_CurrMonth, VK_APPS);
    ASSERT_EQ(Menu.Shown().size(), 2u);
    EXPECT_EQ(Menu.Shown()[0],
              (std::vector<AnsiString>{ScheduleMenu::ExportCaption, ScheduleMenu::ImportCaption}));

    ASSERT_EQ(Boxes.Shown().size(), 1u);
    EXPECT_NE(Boxes.Shown()[0].Text.find("일정 1건을 내보냈습니다."), std::string::npos)
        << Boxes.Shown()[0].Text;
    std::string Text = ReadFile(Files / "out.ics");
    EXPECT_NE(Text.find("SUMMARY:회의 준비"), std::string::npos);
    EXPECT_NE(Text.find("DESCRIPTION:첫 줄\\n둘째 줄"), std::string::npos);
}

// A big file gets a progress bar; the result box lists what was skipped and why; the window
// shows the new entries at once; a file that is not iCalendar changes nothing.
TEST_F(ScheduleMenuTest, ImportShowsProgressResultAndRefreshes) {
    std::string Events = Event("today", "20240510T140000", "20240510T150000", "오늘 들어온 일정") +
                         Event("early", "20240510T050000", "20240510T060000", "새벽 일정");
    for (int I = 0; I < 400; ++I) {
        uint16_t Y, M, D;
        DecodeDate(EncodeDate(2023, 1, 1) + I, Y, M, D);
        AnsiString Day = Format("%04d%02d%02d", Y, M, D);
        Events += Event("bulk" + std::to_string(I), Day + "T100000", Day + "T110000", "bulk");
    }
    WriteFile(Files / "in.ics", ICalendarText(Events));
    WriteFile(Files / "junk.ics", "not a calendar");

    int Shown = TProgressWindow::ShownCount();
    {
        TestDriver::TMenuChoices Menu({ScheduleMenu::ImportCaption});
        TestDriver::TFileDialogAnswers Dialog({Files / "in.ics"});
        TestDriver::TMessageBoxAnswers Boxes;
        TestDriver::RightClickAt(Form1->Pan_CurrDay, 5, 5);
        EXPECT_EQ(TProgressWindow::ShownCount(), Shown + 1);
        ASSERT_EQ(Boxes.Shown().size(), 1u);
        const AnsiString& Box = Boxes.Shown()[0].Text;
        EXPECT_NE(Box.find("새 일정 401건"), std::string::npos) << Box;
        EXPECT_NE(Box.find("새벽 일정 — 06:00 이전이나 22:00 이후에 시작하는 일정입니다."), std::string::npos)
            << Box;
        EXPECT_EQ(Form1->EntryLabel(8)->Caption(), "오늘 들어온 일정");
    }
    auto Before = Rows();
    {
        TestDriver::TMenuChoices Menu({ScheduleMenu::ImportCaption});
        TestDriver::TFileDialogAnswers Dialog({Files / "junk.ics"});
        TestDriver::TMessageBoxAnswers Boxes;
        TestDriver::RightClickAt(Form1->Pan_CurrDay, 5, 5);
        ASSERT_EQ(Boxes.Shown().size(), 1u);
        EXPECT_NE(Boxes.Shown()[0].Text.find("아무것도 바뀌지 않았습니다."), std::string::npos);
    }
    EXPECT_EQ(Rows(), Before);
}

}  // namespace
