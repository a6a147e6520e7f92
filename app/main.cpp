#include "app/ScheduleMenu.h"
#include "app/SyncMenu.h"
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/UserMessages.h"
#include "platform/rtl/AtomicFile.h"

int main(int argc, char** argv) {
    try {
        Application->Initialize(argc, argv);
        // One program per data folder: a second start brings the running window to the front.
        if (!Application->ClaimSingleInstance(Drives::DataFolder())) return 0;
        Application->CloseOnTerminationSignals();
        RemoveStagingLeftovers(MemoDirectory);
        Application->CreateForm(Form1);
        Application->CreateForm(Form2);
        Application->CreateForm(DataModule3);
        ScheduleMenu::Install(Form1);
        SyncMenu::Install();
        Application->Run();
    } catch (const Exception& E) {
        Application->ShowException(Exception(UserMessage(E)));
    }
    // Closing the forms closes the database, which leaves its file holding every entry.
    Application->Reset();
    return 0;
}
