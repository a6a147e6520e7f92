#pragma once
#include <gtest/gtest.h>

#include <filesystem>

#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "platform/rtl/Cp949.h"
#include "platform/rtl/Dates.h"
#include "platform/rtl/Files.h"
#include "platform/ui/TestDriver.h"
#include "tests/store/ScheduleFixture.h"

// The three forms created as at start-up, on a fixed date, over a private data folder; the main
// window shown and activated as Run shows it.
class AppTest : public ::testing::Test {
  protected:
    void Start(int Year, int Month, int Day) {
        SetDateClock([=] { return EncodeDate(Year, Month, Day) + 0.4; });
        ShortDayNames = {"일", "월", "화", "수", "목", "금", "토"};
        Application->Initialize();
        Drives::EnsureDriveC();  // as the platform does on the first start in a new data folder
        Application->CreateForm(Form1);
        Application->CreateForm(Form2);
        Application->CreateForm(DataModule3);
        Form1->Show();
        TestDriver::ProcessEvents();
    }
    void TearDown() override {
        Application->Reset();
        Form1 = nullptr;
        Form2 = nullptr;
        DataModule3 = nullptr;
        SetDateClock({});
    }

    std::string MemoPath(const std::string& Name) const {
        return Home.Path() + "/agendix/drive_c/Temp/" + Name;
    }
    // The memo file's text, decoded.
    std::string Memo(const std::string& Name) const { return Cp949ToUtf8(ReadFile(MemoPath(Name))); }

    // A connection of the test's own, as another program has.
    RawDb Db() const { return RawDb(Home.Path() + "/agendix/BCDEMOS.sqlite"); }
    // Every stored row, all eight fields joined by '|', in storage order.
    std::vector<std::string> Rows() const { return Db().Rows("SELECT * FROM \"Agendix.DB\" ORDER BY rowid"); }
    // A row stored by hand, as another program could have written it.
    void StoreRow(const ScheduleRow& R) const { Db().Insert(R); }

    // Clicks a timetable row and runs Action inside the dialog it opens.
    void OpenRow(TLabel* Row, std::function<void(TForm2*)> Action) {
        TestDriver::TModalActions Modal({[&](TForm* F) { Action(static_cast<TForm2*>(F)); }});
        TestDriver::Click(Row);
        TestDriver::ProcessEvents();
        EXPECT_EQ(Modal.Ran(), 1) << "the dialog did not open";
    }

    // Creates an entry through the dialog from a row.
    void CreateEntry(TLabel* Row, const AnsiString& Title, const std::vector<AnsiString>& MemoLines = {}) {
        OpenRow(Row, [&](TForm2* D) {
            D->Edt_Title->SetText(Title);
            D->Memo1->Lines()->Clear();
            for (auto& L : MemoLines) D->Memo1->Lines()->Add(L);
            TestDriver::Click(D->Btn_Confirm);
        });
    }

    std::vector<std::string> Captions() const {
        std::vector<std::string> C;
        for (int K = 0; K < 16; ++K) C.push_back(Form1->EntryLabel(K)->Caption());
        return C;
    }

    PrivateDataHome Home;
};
