#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"

// Drives the user interface from tests, in process: real Qt events into real widgets, message
// boxes answered, modal forms acted in. Nothing here is used by the program itself.
namespace TestDriver {

// Runs the pending events: paints, posted activations, deferred deletions.
void ProcessEvents();
// A left click (press and release through Qt) at client coordinates, or in the middle.
void ClickAt(TControl* C, int X, int Y, TShiftState Shift = 0);
void Click(TControl* C);
void DoubleClickAt(TControl* C, int X, int Y);
// A key press and release sent to the control's widget (focus it first for real routing).
void PressKey(TWinControl* C, uint16_t VirtualKey, TShiftState Shift = 0);
// Keys as the keyboard sends them, to whatever has the keyboard focus: one key press and release
// per character of Text (letters, digits, blanks), or one key.
void TypeKeys(const AnsiString& Text);
void PressFocusedKey(uint16_t VirtualKey, TShiftState Shift = 0);
// The control whose window has the keyboard focus, or nullptr.
TWinControl* FocusedControl();
// The user switches to another program, then back to this one.
void SwitchAwayAndBack();
// Text typed into a text control, as committed input-method text.
void TypeText(TWinControl* C, const AnsiString& Text);
// An input method composing Preedit in the control, not yet committed.
void Compose(TWinControl* C, const AnsiString& Preedit);
// The window system resizes a form's client area.
void ResizeWindow(TForm* F, int ClientWidth, int ClientHeight);
// The window system activates a form's window (the user comes back to it).
void ActivateWindow(TForm* F);
// Saves what the control's window shows, children included, as a PNG file.
bool Screenshot(TControl* C, const AnsiString& PngPath);
// The colour the control's window shows at a client point, children included; clNone outside.
TColor ShownPixel(TControl* C, int X, int Y);

struct TShownMessage {
    AnsiString Text, Caption;
    uint32_t Flags = 0;
};

// For its life, answers message boxes from Answers in order (then IDOK, or IDNO for yes/no
// boxes) and records them.
class TMessageBoxAnswers {
  public:
    explicit TMessageBoxAnswers(std::vector<int> Answers = {});
    ~TMessageBoxAnswers();
    TMessageBoxAnswers(const TMessageBoxAnswers&) = delete;
    TMessageBoxAnswers& operator=(const TMessageBoxAnswers&) = delete;
    const std::vector<TShownMessage>& Shown() const { return FShown; }

  private:
    std::vector<int> FAnswers;
    std::vector<TShownMessage> FShown;
    TMessageBoxHook FOld;
};

// For its life, runs the next actions inside modal forms, one per ShowModal. A form still open
// when its action returns ends with mrCancel; a ShowModal without an action left ends so too.
class TModalActions {
  public:
    using TAction = std::function<void(TForm* Form)>;
    explicit TModalActions(std::vector<TAction> Actions);
    ~TModalActions();
    TModalActions(const TModalActions&) = delete;
    TModalActions& operator=(const TModalActions&) = delete;
    int Ran() const { return FRan; }

  private:
    std::vector<TAction> FActions;
    int FRan = 0;
    TModalHook FOld;
};

// The right button pressed at client coordinates: Qt's context-menu request, as from a mouse.
void RightClickAt(TControl* C, int X, int Y);

// For its life, chooses in popup menus the item with the next caption of Choices (none when
// empty or absent) and records every menu's captions.
class TMenuChoices {
  public:
    explicit TMenuChoices(std::vector<AnsiString> Choices);
    ~TMenuChoices();
    TMenuChoices(const TMenuChoices&) = delete;
    TMenuChoices& operator=(const TMenuChoices&) = delete;
    const std::vector<std::vector<AnsiString>>& Shown() const { return FShown; }

  private:
    std::vector<AnsiString> FChoices;
    std::vector<std::vector<AnsiString>> FShown;
    std::function<int(TPopupMenu*)> FOld;
};

// For its life, answers file dialogs with the next name of Names (a cancel when none is left).
class TFileDialogAnswers {
  public:
    explicit TFileDialogAnswers(std::vector<AnsiString> Names);
    ~TFileDialogAnswers();
    TFileDialogAnswers(const TFileDialogAnswers&) = delete;
    TFileDialogAnswers& operator=(const TFileDialogAnswers&) = delete;
    int Asked() const { return FAsked; }

  private:
    std::vector<AnsiString> FNames;
    int FAsked = 0;
    std::function<bool(AnsiString&, bool)> FOld;
};

}  // namespace TestDriver
