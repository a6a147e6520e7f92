// Saves entries through the real entry dialog, one after another, until it is killed; prints a
// line for every save that returned. Started by kill_saves.sh, which kills it at random moments
// and checks what survived.
//   agendix_save_loop <first number>     save from that number on
//   agendix_save_loop --start            start as the program does, then end
#include <cstdio>
#include <cstring>
#include <string>

#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "platform/rtl/AtomicFile.h"
#include "platform/ui/TestDriver.h"

int main(int argc, char** argv) {
    Application->Initialize(argc, argv);
    RemoveStagingLeftovers(MemoDirectory);
    if (argc > 1 && std::strcmp(argv[1], "--start") == 0) return 0;
    long N = argc > 1 ? std::atol(argv[1]) : 0;
    Application->CreateForm(Form1);
    Application->CreateForm(Form2);
    Application->CreateForm(DataModule3);
    Form1->Show();
    TestDriver::ProcessEvents();
    std::printf("ready\n");
    std::fflush(stdout);
    for (;; ++N) {
        int Slot = static_cast<int>(N % 16);
        bool Saved = false;
        TestDriver::TModalActions Modal({[&](TForm*) {
            Form2->Edt_Title->SetText("save " + std::to_string(N));
            Form2->Memo1->Lines()->SetText("memo " + std::to_string(N) + "\nsecond line of " +
                                           std::to_string(N));
            Form2->Btn_ConfirmClick(Form2->Btn_Confirm);
            Saved = true;
        }});
        TestDriver::Click(Form1->EntryLabel(Slot));
        if (!Saved) return 1;
        std::printf("saved %02d %ld\n", 6 + Slot, N);
        std::fflush(stdout);
    }
}
