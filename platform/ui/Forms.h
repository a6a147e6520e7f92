#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/Controls.h"

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
                       mrNo = 7;

// Message box buttons, icons and answers.
constexpr uint32_t MB_OK = 0x00, MB_OKCANCEL = 0x01, MB_ABORTRETRYIGNORE = 0x02, MB_YESNOCANCEL = 0x03,
                   MB_YESNO = 0x04, MB_RETRYCANCEL = 0x05, MB_ICONHAND = 0x10, MB_ICONSTOP = 0x10,
                   MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30,
                   MB_ICONWARNING = 0x30, MB_ICONASTERISK = 0x40, MB_ICONINFORMATION = 0x40,
                   MB_DEFBUTTON2 = 0x100;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

enum TPosition : uint8_t {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TBorderIconBit : uint32_t { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = uint32_t;
enum TCloseAction : uint8_t { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

class TApplication;

// A top-level window laid out by its form description. The constructor does not read the
// description: CreateForm (or InitFromResource) does, and then runs OnCreate.
class TButton;

class TForm : public TWinControl {
    AGENDIX_CLASS(TForm)
    explicit TForm(TComponent* AOwner);
    ~TForm() override;

    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle V);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons V);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition V) { FPosition = V; }
    TModalResult ModalResult() const { return FModalResult; }
    // Ends a modal showing with V (mrNone keeps it open).
    void SetModalResult(TModalResult V);
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int V) { FPixelsPerInch = V; }
    int TextHeight() const { return FTextHeight; }
    void SetTextHeight(int V) { FTextHeight = V; }
    bool OldCreateOrder() const { return FOldCreateOrder; }
    void SetOldCreateOrder(bool V) { FOldCreateOrder = V; }
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool V) { FKeyPreview = V; }

    void Show();
    void Hide();
    // Shows the form, runs a modal loop (or the test driver's modal hook) until ModalResult is
    // set, hides it and returns the result.
    int ShowModal();
    // A modal form ends with mrCancel; the main form ends the application.
    void Close();
    bool Modal() const { return FModal; }
    bool Active() const;
    // Focuses the first control in tab order that can take the focus, caret at the end of a text.
    void SelectFirst();
    // The shown, enabled button that Escape (Cancel) or Enter (Default) presses; nullptr when none.
    TButton* DialogButton(bool Cancel) const;
    void SetVisible(bool V) override;

    // Reads a form description into this form (once), then runs OnCreate.
    void InitFromResource(const char* Text);
    void ReadComponentRes(const char* Text) { InitFromResource(Text); }
    // The description CreateForm reads; a constructor names it, it does not read it.
    void SetFormResource(const char* Text) { FFormResource = Text; }
    const char* FormResource() const { return FFormResource; }

    TRect ClientRect() const override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Loaded() override;
    // The writer's walk: the components it owns that are not controls, then its controls.
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

    TNotifyEvent OnCreate, OnDestroy, OnActivate, OnDeactivate, OnShow, OnHide;
    TCloseEvent OnClose;

  protected:
    virtual void Activate();
    virtual void Deactivate();
    virtual void DoCreate();
    void CreateWnd() override;
    void TextChanged() override;
    int FrameWidth() const;
    int CaptionHeight() const;
    friend class TApplication;
    friend struct TQtPeer;

  public:
    // The window system resized or moved the window.
    void WindowResized(int AClientWidth, int AClientHeight);
    void WindowMoved(int ALeft, int ATop);

  private:
    void ShowWindow();
    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons = biSystemMenu | biMinimize | biMaximize;
    TPosition FPosition = poDesigned;
    TModalResult FModalResult = mrNone;
    int FPixelsPerInch = 96, FTextHeight = 13;
    bool FOldCreateOrder = false, FKeyPreview = false;
    bool FModal = false, FCreated = false, FShowAfterLoad = false, FPlaced = false;
    class QEventLoop* FModalLoop = nullptr;
    const char* FFormResource = nullptr;
};

// A container of non-visual components (tables, queries, data sources), laid out by its form
// description like a form.
class TDataModule : public TComponent {
    AGENDIX_CLASS(TDataModule)
    explicit TDataModule(TComponent* AOwner);
    ~TDataModule() override;
    void InitFromResource(const char* Text);
    void ReadComponentRes(const char* Text) { InitFromResource(Text); }
    void SetFormResource(const char* Text) { FFormResource = Text; }
    const char* FormResource() const { return FFormResource; }
    int Left() const { return FLeft; }
    void SetLeft(int V) { FLeft = V; }
    int Top() const { return FTop; }
    void SetTop(int V) { FTop = V; }
    int Width() const { return FWidth; }
    void SetWidth(int V) { FWidth = V; }
    int Height() const { return FHeight; }
    void SetHeight(int V) { FHeight = V; }
    bool OldCreateOrder() const { return FOldCreateOrder; }
    void SetOldCreateOrder(bool V) { FOldCreateOrder = V; }
    TNotifyEvent OnCreate, OnDestroy;

  private:
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    bool FOldCreateOrder = false, FCreated = false;
    const char* FFormResource = nullptr;
};

using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;
using TMessageBoxHook = std::function<int(const AnsiString& Text, const AnsiString& Caption, uint32_t Flags)>;
using TModalHook = std::function<void(TForm* Form)>;

class TApplication : public TComponent {
  public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;

    // Starts the window system if needed, registers the classes of the form reader, colour
    // names and day names, and makes sure drive C: exists. Later calls do nothing.
    void Initialize();
    void Initialize(int& Argc, char** Argv);
    // Creates a form or data module owned by the application, sets Reference, then reads the
    // class's registered form description and runs OnCreate. The first form is the main form.
    template <class T>
    void CreateForm(T*& Reference) {
        T* Instance = new T(this);
        Reference = Instance;
        FinishCreateForm(Instance);
    }
    // One program per data folder: true for the first; a later one asks the first to bring its
    // main window to the front and gets false.
    bool ClaimSingleInstance(const std::string& Folder);
    // SIGTERM and SIGINT close the main form, so the program ends as after the user closed it.
    void CloseOnTerminationSignals();
    // Shows the main form and runs the event loop until the main form closes.
    void Run();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    // Runs the pending events (paints, posted activations, deferred deletions).
    void ProcessMessages();

    TForm* MainForm() const { return FMainForm; }
    TForm* ActiveForm() const { return FActiveForm; }
    const AnsiString& Title() const { return FTitle; }
    void SetTitle(const AnsiString& V) { FTitle = V; }

    // Returns IDOK, IDCANCEL, IDYES, IDNO, ... as the buttons of Flags allow.
    int MessageBox(const AnsiString& Text, const AnsiString& Caption, uint32_t Flags = MB_OK);
    void ShowException(const Exception& E);
    // Default handling of an exception that escaped an event handler: shown, and on we go.
    void HandleException(TObject* Sender, const Exception& E);
    TExceptionEvent OnException;

    // Test driver: answers message boxes without showing them; acts inside a modal form instead
    // of running its loop (a form still open when the hook returns ends with mrCancel).
    TMessageBoxHook MessageBoxHook;
    TModalHook ModalHook;

    // Used by forms and the window bridge.
    void FinishCreateForm(TComponent* Instance);
    void SetActiveForm(TForm* F);
    void FormShown(TForm* F);
    void FormHidden(TForm* F, TForm* Successor);
    void FormDestroyed(TForm* F);
    void WindowActivated(TForm* F);
    // The program as a whole lost or regained the user (another program's window was active).
    void ApplicationStateChanged(bool Active);
    int ModalDepth() const { return FModalDepth; }
    // True while a form is activated because the window that the user just closed left it behind.
    bool InPostedActivation() const { return FInPostedActivation; }
    // Forgets forms, hooks and state, destroying the forms: tests start afresh with it.
    void Reset();

  private:
    friend class TForm;
    void PostActivation(TForm* F);
    TForm* FMainForm = nullptr;
    TForm* FActiveForm = nullptr;
    TForm* FPendingActivation = nullptr;
    AnsiString FTitle = "Agendix";
    bool FTerminated = false, FInitialized = false, FWasInactive = false, FInPostedActivation = false;
    int FModalDepth = 0;
    std::vector<class QEventLoop*> FLoops;
};

extern TApplication* Application;

// Runs system code on behalf of the window system: an exception that escapes goes to
// Application->HandleException.
void GuardedCall(TObject* Sender, const std::function<void()>& Body);
// The form a control sits on, or nullptr.
TForm* GetParentForm(TControl* Control);
// Form descriptions of form and data module classes, found by CreateForm by class name.
void RegisterFormResource(const AnsiString& ClassName, const char* Text);
const char* FindFormResource(const AnsiString& ClassName);
// Registers the user-interface classes with the class registry (Initialize does it too).
void RegisterUiClasses();
