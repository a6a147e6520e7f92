#include "platform/ui/Forms.h"

#include "platform/ui/PaintBox.h"
#include "platform/ui/Timer.h"

#include <fontconfig/fontconfig.h>
#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <map>
#include <thread>

#include "platform/classes/FormIO.h"
#include "platform/rtl/Dates.h"
#include "platform/rtl/Files.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Grids.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/FirstPaint.h"
#include "platform/ui/qt/QtPeer.h"

TApplication* Application = new TApplication(nullptr);

void GuardedCall(TObject* Sender, const std::function<void()>& Body) {
    auto Report = [Sender](const Exception& E) {
        try {
            if (Application) Application->HandleException(Sender, E);
        } catch (const std::exception& Again) {
            std::fprintf(stderr, "agendix: exception while reporting an exception: %s\n", Again.what());
        }
    };
    try {
        Body();
    } catch (const Exception& E) {
        Report(E);
    } catch (const std::exception& E) {
        Report(Exception(E.what()));
    }
}

TForm* GetParentForm(TControl* Control) {
    for (TControl* C = Control; C; C = C->Parent())
        if (auto* F = dynamic_cast<TForm*>(C)) return F;
    return nullptr;
}

namespace {
std::map<AnsiString, const char*>& FormResources() {
    static std::map<AnsiString, const char*> M;
    return M;
}
}  // namespace

void RegisterFormResource(const AnsiString& ClassName, const char* Text) {
    FormResources()[ClassName] = Text;
}

const char* FindFormResource(const AnsiString& ClassName) {
    auto It = FormResources().find(ClassName);
    return It == FormResources().end() ? nullptr : It->second;
}

void RegisterUiClasses() {
    for (const TClassInfo* C :
         {&TLabel::StaticClassInfo(), &TPanel::StaticClassInfo(), &TBevel::StaticClassInfo(),
          &TButton::StaticClassInfo(), &TEdit::StaticClassInfo(), &TComboBox::StaticClassInfo(),
          &TMemo::StaticClassInfo(), &TUpDown::StaticClassInfo(), &TPopupMenu::StaticClassInfo(),
          &TForm::StaticClassInfo(), &TDataModule::StaticClassInfo(), &TTimer::StaticClassInfo(),
          &TPaintBox::StaticClassInfo()})
        RegisterClass(*C);
}

// ---------------------------------------------------------------------------------------------
// TForm

const TClassInfo& TForm::StaticClassInfo() {
    using C = TForm;
    static const TClassInfo Info =
        TClassBuilder<C>("TForm", &TWinControl::StaticClassInfo())
            .Creatable()
            .Inherit({"Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint"})
            .Set("BorderIcons", &C::BorderIcons, &C::SetBorderIcons, biSystemMenu | biMinimize | biMaximize,
                 {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"})
            .Enum("BorderStyle", &C::BorderStyle, &C::SetBorderStyle, bsSizeable,
                  {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"})
            .Inherit({"Caption"})
            .Int("ClientHeight", &C::ClientHeight, &C::SetClientHeight, 0)
            .Int("ClientWidth", &C::ClientWidth, &C::SetClientWidth, 0)
            .Int("Color", &C::Color, &C::SetColor, clBtnFace, "TColor")
            .Inherit({"Ctl3D", "Enabled", "Font"})
            .Bool("KeyPreview", &C::KeyPreview, &C::SetKeyPreview, false)
            .Bool("OldCreateOrder", &C::OldCreateOrder, &C::SetOldCreateOrder, false)
            .Inherit({"ParentFont", "PopupMenu"})
            .Enum("Position", &C::Position, &C::SetPosition, poDesigned,
                  {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                   "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"})
            .Inherit({"ShowHint"})
            .Bool("Visible", &C::Visible, &C::SetVisible, false)
            .Event("OnActivate", &C::OnActivate)
            .Inherit({"OnClick"})
            .Event("OnClose", &C::OnClose)
            .Event("OnCreate", &C::OnCreate)
            .Inherit({"OnDblClick"})
            .Event("OnDeactivate", &C::OnDeactivate)
            .Event("OnDestroy", &C::OnDestroy)
            .Event("OnHide", &C::OnHide)
            .Inherit({"OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp"})
            .Event("OnShow", &C::OnShow)
            .Int("PixelsPerInch", &C::PixelsPerInch, &C::SetPixelsPerInch, 96)
            .Int("TextHeight", &C::TextHeight, &C::SetTextHeight, 13)
            .Build();
    return Info;
}

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {
    TControl::SetVisible(false);
    SetColor(clBtnFace);
    SetParentFont(false);
    SetControlStyle(ControlStyle() | csAcceptsControls);
    SetBounds(0, 0, 320, 240);
    RegisterRootComponent(this);
}

TForm::~TForm() {
    Include(csDestroying);
    if (Application) Application->FormDestroyed(this);
    if (FModalLoop) FModalLoop->quit();
    UnregisterRootComponent(this);
    if (OnDestroy && FCreated) GuardedCall(this, [this] { OnDestroy(this); });
    // Owned components go while the form is still whole, so their parents are still there.
    while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
    DestroyWnd();
}

int TForm::FrameWidth() const {
    switch (FBorderStyle) {
        case bsNone:
            return 0;
        case bsSizeable:
        case bsSizeToolWin:
            return 4;
        default:
            return 3;
    }
}

int TForm::CaptionHeight() const {
    switch (FBorderStyle) {
        case bsNone:
            return 0;
        case bsToolWindow:
        case bsSizeToolWin:
            return 16;
        default:
            return 19;
    }
}

TRect TForm::ClientRect() const {
    int F = FrameWidth();
    return {0, 0, std::max(0, Width() - 2 * F), std::max(0, Height() - 2 * F - CaptionHeight())};
}

void TForm::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
    if (Root == this)
        for (int I = 0; I < ComponentCount(); ++I)
            if (!dynamic_cast<TControl*>(Components(I))) Proc(Components(I));
    TWinControl::GetChildren(Proc, Root);
}

void TForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TForm::SetBorderStyle(TFormBorderStyle V) {
    if (V == FBorderStyle) return;
    FBorderStyle = V;
    BoundsChanged();
    if (FPeer && FPeer->Widget) {
        bool Shown = FPeer->Widget->isVisible();
        DestroyWnd();
        HandleNeeded();
        if (Shown) ShowWindow();
    }
}

void TForm::SetBorderIcons(TBorderIcons V) {
    if (V == FBorderIcons) return;
    FBorderIcons = V;
}

void TForm::TextChanged() {
    if (FPeer && FPeer->Widget) FPeer->Widget->setWindowTitle(ToQ(Caption()));
}

void TForm::CreateWnd() {
    if (!FPeer) {
        FPeer = TQtPeer::CreateWindow(this);
        Qt::WindowFlags Flags = Qt::Window | Qt::CustomizeWindowHint;
        if (FBorderStyle == bsDialog) Flags = Qt::Dialog | Qt::CustomizeWindowHint;
        if (FBorderStyle == bsNone) Flags |= Qt::FramelessWindowHint;
        if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin)
            Flags = Qt::Tool | Qt::CustomizeWindowHint;
        if (FBorderStyle != bsNone) Flags |= Qt::WindowTitleHint;
        if (FBorderIcons & biSystemMenu) Flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if ((FBorderIcons & biMinimize) && FBorderStyle != bsDialog) Flags |= Qt::WindowMinimizeButtonHint;
        if ((FBorderIcons & biMaximize) && FBorderStyle != bsDialog) Flags |= Qt::WindowMaximizeButtonHint;
        FPeer->Widget->setWindowFlags(Flags);
        FPeer->SyncGeometry();
    }
    TWinControl::CreateWnd();
}

void TForm::WindowResized(int AClientWidth, int AClientHeight) {
    if (AClientWidth == ClientWidth() && AClientHeight == ClientHeight()) return;
    int F = FrameWidth();
    TWinControl::SetBounds(Left(), Top(), AClientWidth + 2 * F, AClientHeight + 2 * F + CaptionHeight());
}

void TForm::WindowMoved(int ALeft, int ATop) {
    MoveQuietly(ALeft, ATop);
}

bool TForm::Active() const {
    return Application && Application->ActiveForm() == this;
}

void TForm::SetVisible(bool V) {
    if (Loading()) {
        FShowAfterLoad = V;
        return;
    }
    if (V)
        Show();
    else
        Hide();
}

void TForm::Loaded() {
    TWinControl::Loaded();
}

void TForm::SetModalResult(TModalResult V) {
    FModalResult = V;
    if (V != mrNone && FModalLoop) FModalLoop->quit();
}

void TForm::Activate() {
    if (OnActivate) OnActivate(this);
}

void TForm::Deactivate() {
    if (OnDeactivate) OnDeactivate(this);
}

void TForm::DoCreate() {
    if (OnCreate) OnCreate(this);
}

void TForm::InitFromResource(const char* Text) {
    if (FCreated) return;
    FCreated = true;
    if (Text) ::ReadComponentRes(this, Text);
    DoCreate();
    if (FShowAfterLoad) Show();
}

void TForm::ShowWindow() {
    QWidget* W = FPeer->Widget;
    if (!FPlaced && (FPosition == poScreenCenter || FPosition == poDesktopCenter ||
                     FPosition == poMainFormCenter || FPosition == poOwnerFormCenter)) {
        QRect Area = W->screen() ? W->screen()->availableGeometry() : QRect(0, 0, 1024, 768);
        MoveQuietly(Area.x() + (Area.width() - Width()) / 2, Area.y() + (Area.height() - Height()) / 2);
        FPeer->SyncGeometry();
        FPlaced = true;
    }
    W->show();
    if (QGuiApplication::platformName() != "offscreen") W->raise();
    W->activateWindow();
}

void TForm::Show() {
    bool WasVisible = Visible();
    TControl::SetVisible(true);
    HandleNeeded();
    if (!WasVisible && OnShow) OnShow(this);
    ShowWindow();
    Application->FormShown(this);
}

void TForm::Hide() {
    if (!Visible()) return;
    TControl::SetVisible(false);
    if (FPeer && FPeer->Widget) FPeer->Widget->hide();
    if (OnHide) OnHide(this);
    Application->FormHidden(this, nullptr);
}

int TForm::ShowModal() {
    if (Visible() || FModal) throw EInvalidOperation("Cannot make a visible window modal");
    TForm* Previous = Application->ActiveForm();
    FModal = true;
    FModalResult = mrNone;
    ++Application->FModalDepth;
    auto Finish = [&] {
        --Application->FModalDepth;
        FModal = false;
        TControl::SetVisible(false);
        if (FPeer && FPeer->Widget) {
            FPeer->Widget->hide();
            FPeer->Widget->setWindowModality(Qt::NonModal);
        }
        if (OnHide) GuardedCall(this, [this] { OnHide(this); });
        Application->FormHidden(this, Previous);
    };
    try {
        HandleNeeded();
        FPeer->Widget->setWindowModality(Qt::ApplicationModal);
        Show();
        // A reused dialog starts where the user starts typing, not on the button pressed last.
        SelectFirst();
        if (Application->ModalHook) {
            Application->ModalHook(this);
            if (FModalResult == mrNone) FModalResult = mrCancel;
        } else {
            QEventLoop Loop;
            FModalLoop = &Loop;
            Application->FLoops.push_back(&Loop);
            while (FModalResult == mrNone && !Application->Terminated()) Loop.exec();
            Application->FLoops.erase(
                std::find(Application->FLoops.begin(), Application->FLoops.end(), &Loop));
            FModalLoop = nullptr;
            if (FModalResult == mrNone) FModalResult = mrCancel;
        }
    } catch (...) {
        FModalLoop = nullptr;
        Finish();
        throw;
    }
    Finish();
    return FModalResult;
}

void TForm::SelectFirst() {
    std::function<TWinControl*(TWinControl*)> First = [&](TWinControl* Parent) -> TWinControl* {
        std::vector<TWinControl*> Chain;
        for (int I = 0; I < Parent->ControlCount(); ++I)
            if (auto* W = dynamic_cast<TWinControl*>(Parent->Controls(I)); W && W->CanFocus())
                Chain.push_back(W);
        std::stable_sort(Chain.begin(), Chain.end(), [](TWinControl* A, TWinControl* B) {
            auto Key = [](TWinControl* W) { return W->TabOrder() < 0 ? INT32_MAX : int(W->TabOrder()); };
            return Key(A) < Key(B);
        });
        for (TWinControl* W : Chain) {
            if (W->TabStop()) return W;
            if (TWinControl* Inner = First(W)) return Inner;
        }
        return nullptr;
    };
    TWinControl* Target = First(this);
    if (!Target) return;
    Target->SetFocus();
    if (auto* Line = qobject_cast<QLineEdit*>(Target->Peer()->Widget.data())) Line->end(false);
}

TButton* TForm::DialogButton(bool Cancel) const {
    std::function<TButton*(const TWinControl*)> Find = [&](const TWinControl* In) -> TButton* {
        for (int I = 0; In && I < In->ControlCount(); ++I) {
            TControl* C = In->Controls(I);
            if (!C->Visible() || !C->Enabled()) continue;
            if (auto* B = dynamic_cast<TButton*>(C); B && (Cancel ? B->Cancel() : B->Default())) return B;
            if (TButton* B = Find(dynamic_cast<const TWinControl*>(C))) return B;
        }
        return nullptr;
    };
    return Find(this);
}

void TForm::Close() {
    TCloseAction Action = caHide;
    if (OnClose) OnClose(this, Action);
    if (Action == caNone) return;
    if (FModal) {
        SetModalResult(mrCancel);
        return;
    }
    Hide();
    if (Application->MainForm() == this) Application->Terminate();
}

// ---------------------------------------------------------------------------------------------
// TDataModule

const TClassInfo& TDataModule::StaticClassInfo() {
    using C = TDataModule;
    static const TClassInfo Info =
        TClassBuilder<C>("TDataModule", &TComponent::StaticClassInfo())
            .Creatable()
            .Int("Left", &C::Left, &C::SetLeft, 0)
            .Int("Top", &C::Top, &C::SetTop, 0)
            .Int("Height", &C::Height, &C::SetHeight, 0)
            .Int("Width", &C::Width, &C::SetWidth, 0)
            .Bool("OldCreateOrder", &C::OldCreateOrder, &C::SetOldCreateOrder, false)
            .Event("OnCreate", &C::OnCreate)
            .Event("OnDestroy", &C::OnDestroy)
            .Build();
    return Info;
}

TDataModule::TDataModule(TComponent* AOwner) : TComponent(AOwner) {
    RegisterRootComponent(this);
}

TDataModule::~TDataModule() {
    UnregisterRootComponent(this);
    if (OnDestroy && FCreated) GuardedCall(this, [this] { OnDestroy(this); });
    while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
}

void TDataModule::InitFromResource(const char* Text) {
    if (FCreated) return;
    FCreated = true;
    if (Text) ::ReadComponentRes(this, Text);
    if (OnCreate) OnCreate(this);
}

// ---------------------------------------------------------------------------------------------
// TApplication

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}

TApplication::~TApplication() {
    Reset();
}

void TApplication::Initialize() {
    static int Argc = 1;
    static char Arg0[] = "agendix";
    static char* Argv[] = {Arg0, nullptr};
    Initialize(Argc, Argv);
}

void TApplication::Initialize(int& Argc, char** Argv) {
    // Fontconfig reads its configuration and font caches on a second core while Qt connects to
    // the display and the classes register: the first text needs them, and nothing before it does.
    std::thread Fonts;
    struct TJoin {
        std::thread& T;
        ~TJoin() {
            if (T.joinable()) T.join();
        }
    } Join{Fonts};
    if (!QCoreApplication::instance()) {
        Fonts = std::thread([] { FcInit(); });
        new QApplication(Argc, Argv);
    }
    if (FInitialized) return;
    FInitialized = true;
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, qApp,
                     [this](Qt::ApplicationState S) { ApplicationStateChanged(S == Qt::ApplicationActive); });
    // Qt's own dialogs and buttons (the file dialog) speak Korean like the rest of the program.
    auto* QtTexts = new QTranslator(qApp);
    if (QtTexts->load(QLocale(QLocale::Korean, QLocale::SouthKorea), "qtbase", "_",
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        qApp->installTranslator(QtTexts);
    RegisterColorIdents();
    RegisterUiClasses();
    LoadLocaleDayNames();
    Drives::EnsureDriveC();
}

void TApplication::FinishCreateForm(TComponent* Instance) {
    const char* Text = FindFormResource(Instance->ClassName());
    if (auto* F = dynamic_cast<TForm*>(Instance)) {
        F->InitFromResource(F->FormResource() ? F->FormResource() : Text);
        if (!FMainForm) FMainForm = F;
    } else if (auto* D = dynamic_cast<TDataModule*>(Instance)) {
        D->InitFromResource(D->FormResource() ? D->FormResource() : Text);
    }
}

void TApplication::Run() {
    if (!FMainForm) return;
    FTerminated = false;
    FMainForm->Show();
    if (FMainForm->Peer()) SignalReadyAfterPaint(FMainForm->Peer()->Widget);
    QEventLoop Loop;
    FLoops.push_back(&Loop);
    while (!FTerminated && FMainForm && FMainForm->Visible()) Loop.exec();
    FLoops.erase(std::find(FLoops.begin(), FLoops.end(), &Loop));
}

void TApplication::Terminate() {
    FTerminated = true;
    for (QEventLoop* L : FLoops) L->quit();
}

void TApplication::ProcessMessages() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int TApplication::MessageBox(const AnsiString& Text, const AnsiString& Caption, uint32_t Flags) {
    if (MessageBoxHook) return MessageBoxHook(Text, Caption, Flags);
    QMessageBox Box;
    Box.setWindowTitle(ToQ(Caption));
    Box.setText(ToQ(Text));
    switch (Flags & 0xF0) {
        case MB_ICONSTOP:
            Box.setIcon(QMessageBox::Critical);
            break;
        case MB_ICONQUESTION:
            Box.setIcon(QMessageBox::Question);
            break;
        case MB_ICONWARNING:
            Box.setIcon(QMessageBox::Warning);
            break;
        case MB_ICONINFORMATION:
            Box.setIcon(QMessageBox::Information);
            break;
        default:
            Box.setIcon(QMessageBox::NoIcon);
            break;
    }
    std::vector<std::pair<QPushButton*, int>> Buttons;
    auto Add = [&](const char* Label, QMessageBox::ButtonRole Role, int Id) {
        Buttons.push_back({Box.addButton(QString::fromUtf8(Label), Role), Id});
    };
    switch (Flags & 0x0F) {
        case MB_OKCANCEL:
            Add("확인", QMessageBox::AcceptRole, IDOK);
            Add("취소", QMessageBox::RejectRole, IDCANCEL);
            break;
        case MB_ABORTRETRYIGNORE:
            Add("중단", QMessageBox::RejectRole, IDABORT);
            Add("다시 시도", QMessageBox::AcceptRole, IDRETRY);
            Add("무시", QMessageBox::AcceptRole, IDIGNORE);
            break;
        case MB_YESNOCANCEL:
            Add("예", QMessageBox::YesRole, IDYES);
            Add("아니요", QMessageBox::NoRole, IDNO);
            Add("취소", QMessageBox::RejectRole, IDCANCEL);
            break;
        case MB_YESNO:
            Add("예", QMessageBox::YesRole, IDYES);
            Add("아니요", QMessageBox::NoRole, IDNO);
            break;
        case MB_RETRYCANCEL:
            Add("다시 시도", QMessageBox::AcceptRole, IDRETRY);
            Add("취소", QMessageBox::RejectRole, IDCANCEL);
            break;
        default:
            Add("확인", QMessageBox::AcceptRole, IDOK);
            break;
    }
    size_t Def = (Flags & MB_DEFBUTTON2) && Buttons.size() > 1 ? 1 : 0;
    Box.setDefaultButton(Buttons[Def].first);
    Box.exec();
    for (auto& [Button, Id] : Buttons)
        if (Box.clickedButton() == Button) return Id;
    // Closed without a button: the answer a cancel or no button gives.
    int Last = Buttons.back().second;
    return Buttons.size() == 1 ? IDOK : Last;
}

void TApplication::ShowException(const Exception& E) {
    MessageBox(E.Message(), FTitle, MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException(TObject* Sender, const Exception& E) {
    if (OnException)
        OnException(Sender, E);
    else
        ShowException(E);
}

void TApplication::SetActiveForm(TForm* F) {
    if (F == FActiveForm) return;
    TForm* Old = FActiveForm;
    FActiveForm = F;
    FPendingActivation = nullptr;
    if (Old) GuardedCall(Old, [Old] { Old->Deactivate(); });
    if (F) GuardedCall(F, [F] { F->Activate(); });
}

void TApplication::FormShown(TForm* F) {
    if (FModalDepth > 0 && !F->Modal()) return;
    SetActiveForm(F);
}

void TApplication::FormHidden(TForm* F, TForm* Successor) {
    if (FActiveForm != F) return;
    FActiveForm = nullptr;
    GuardedCall(F, [F] { F->Deactivate(); });
    if (!Successor && FMainForm && FMainForm != F) Successor = FMainForm;
    if (Successor && Successor->Visible()) PostActivation(Successor);
}

// The window that a closing window leaves behind becomes active once the handler that closed it
// has returned to the event loop, on every platform alike.
void TApplication::PostActivation(TForm* F) {
    FPendingActivation = F;
    QTimer::singleShot(0, [this] {
        TForm* Target = FPendingActivation;
        FPendingActivation = nullptr;
        if (Target && Target->Visible() && !FActiveForm) {
            FInPostedActivation = true;
            SetActiveForm(Target);
            FInPostedActivation = false;
        }
    });
}

void TApplication::FormDestroyed(TForm* F) {
    if (FPendingActivation == F) FPendingActivation = nullptr;
    if (FActiveForm == F) FActiveForm = nullptr;
    if (FMainForm == F) FMainForm = nullptr;
}

void TApplication::WindowActivated(TForm* F) {
    if (!F->Visible() || F == FActiveForm) return;
    if (FModalDepth > 0 && !F->Modal()) return;
    if (!F->Peer() || !F->Peer()->Widget || !F->Peer()->Widget->isActiveWindow()) return;
    SetActiveForm(F);
}

// The user came back from another program: the active form is activated again, as when it
// becomes the active window once more, so it can show what changed meanwhile.
void TApplication::ApplicationStateChanged(bool Active) {
    if (!Active) {
        FWasInactive = true;
        return;
    }
    if (!FWasInactive) return;
    FWasInactive = false;
    TForm* F = FActiveForm;
    if (F && F->Visible() && (FModalDepth == 0 || F->Modal())) GuardedCall(F, [F] { F->Activate(); });
}

void TApplication::Reset() {
    MessageBoxHook = nullptr;
    ModalHook = nullptr;
    OnException = nullptr;
    while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
    FMainForm = FActiveForm = FPendingActivation = nullptr;
    FTerminated = false;
    FModalDepth = 0;
    if (QCoreApplication::instance()) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
