#pragma once
#include <cstddef>
#include <functional>
#include <memory>

#include "platform/rtl/Strings.h"

// Asks the user for a file to read (Save false) or to write (Save true, asking before one is
// replaced). FileName brings the suggestion and takes the native path chosen. Filter lists the
// kinds as "iCalendar (*.ics);;모든 파일 (*)". False when the user cancels.
bool PromptForFileName(AnsiString& FileName, const AnsiString& Filter, const AnsiString& Title, bool Save);

// Test driver: answers file dialogs instead of the user.
extern std::function<bool(AnsiString& FileName, bool Save)> FileDialogHook;

// A small window with a progress bar over the active form while long work runs on the GUI thread.
class TProgressWindow {
  public:
    TProgressWindow(const AnsiString& Caption, const AnsiString& Text);
    ~TProgressWindow();
    TProgressWindow(const TProgressWindow&) = delete;
    TProgressWindow& operator=(const TProgressWindow&) = delete;
    // Moves the bar and lets the window paint.
    void Update(size_t Done, size_t Total);
    // How many progress windows have been shown in this process (tests look).
    static int ShownCount();

  private:
    struct TImpl;
    std::unique_ptr<TImpl> F;
};
