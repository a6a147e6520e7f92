#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "platform/ui/Forms.h"
#include "platform/ui/TestDriver.h"
#include "tests/support/Support.h"

// Every test process runs with Qt's offscreen platform (unless a display is asked for) and a
// private, empty data folder. Message boxes never block: unless a test answers them, they are
// printed and answered with OK (or No); a modal form that no test drives ends at once with Cancel.
int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    PrivateDataHome Home;
    int Result = 0;
    {
        QApplication App(argc, argv);
        Application->Initialize();
        ::testing::InitGoogleTest(&argc, argv);
        auto Defaults = [] {
            Application->MessageBoxHook = [](const AnsiString& Text, const AnsiString& Caption,
                                             uint32_t Flags) {
                std::fprintf(stderr, "message box \"%s\": %s\n", Caption.c_str(), Text.c_str());
                return (Flags & 0x0F) == MB_YESNO ? IDNO : IDOK;
            };
            Application->ModalHook = [](TForm* F) {
                ADD_FAILURE() << "a modal form (" << F->Name() << ") was shown with nothing to drive it";
            };
        };
        class TResetEach : public ::testing::EmptyTestEventListener {
          public:
            explicit TResetEach(std::function<void()> D) : FDefaults(std::move(D)) {}
            void OnTestStart(const ::testing::TestInfo&) override { FDefaults(); }
            void OnTestEnd(const ::testing::TestInfo&) override {
                Application->Reset();
                TestDriver::ProcessEvents();
            }

          private:
            std::function<void()> FDefaults;
        };
        ::testing::UnitTest::GetInstance()->listeners().Append(new TResetEach(Defaults));
        Result = RUN_ALL_TESTS();
        Application->Reset();
        TestDriver::ProcessEvents();
    }
    return Result;
}
