#include "platform/ui/TestDriver.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QResizeEvent>
#include <QWidget>

#include "platform/ui/Dialogs.h"
#include "platform/ui/qt/QtPeer.h"

namespace TestDriver {
namespace {

QWidget* WidgetOf(TControl* C) {
    C->HandleNeeded();
    return C->Peer() ? C->Peer()->Widget.data() : nullptr;
}

// Where a key or text goes: the widget that takes focus for the control.
QWidget* FocusTarget(TWinControl* C) {
    QWidget* W = WidgetOf(C);
    return W && W->focusProxy() ? W->focusProxy() : W;
}

int QtKey(uint16_t VK) {
    if (VK >= 'A' && VK <= 'Z') return Qt::Key_A + (VK - 'A');
    if (VK >= '0' && VK <= '9') return Qt::Key_0 + (VK - '0');
    if (VK >= 0x70 && VK <= 0x7B) return Qt::Key_F1 + (VK - 0x70);
    switch (VK) {
        case VK_BACK:
            return Qt::Key_Backspace;
        case VK_TAB:
            return Qt::Key_Tab;
        case VK_RETURN:
            return Qt::Key_Return;
        case VK_ESCAPE:
            return Qt::Key_Escape;
        case VK_SPACE:
            return Qt::Key_Space;
        case VK_PRIOR:
            return Qt::Key_PageUp;
        case VK_NEXT:
            return Qt::Key_PageDown;
        case VK_END:
            return Qt::Key_End;
        case VK_HOME:
            return Qt::Key_Home;
        case VK_LEFT:
            return Qt::Key_Left;
        case VK_UP:
            return Qt::Key_Up;
        case VK_RIGHT:
            return Qt::Key_Right;
        case VK_DOWN:
            return Qt::Key_Down;
        case VK_DELETE:
            return Qt::Key_Delete;
        case VK_APPS:
            return Qt::Key_Menu;
        default:
            return 0;
    }
}

Qt::KeyboardModifiers Modifiers(TShiftState S) {
    Qt::KeyboardModifiers M;
    if (S & ssShift) M |= Qt::ShiftModifier;
    if (S & ssCtrl) M |= Qt::ControlModifier;
    if (S & ssAlt) M |= Qt::AltModifier;
    return M;
}

void SendMouse(TControl* C, QEvent::Type Type, int X, int Y, TShiftState Shift) {
    QWidget* W = WidgetOf(C);
    if (!W) return;
    int N = C->NonClientWidth();
    QPointF Local(X + N, Y + N);
    QPointF Global = W->mapToGlobal(Local);
    Qt::MouseButtons Buttons = Type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent E(Type, Local, Global, Qt::LeftButton, Buttons, Modifiers(Shift));
    QApplication::sendEvent(W, &E);
}

}  // namespace

void ProcessEvents() {
    for (int I = 0; I < 3; ++I) Application->ProcessMessages();
}

void ClickAt(TControl* C, int X, int Y, TShiftState Shift) {
    SendMouse(C, QEvent::MouseButtonPress, X, Y, Shift);
    SendMouse(C, QEvent::MouseButtonRelease, X, Y, Shift);
}

void Click(TControl* C) {
    TRect R = C->ClientRect();
    ClickAt(C, R.Right / 2, R.Bottom / 2);
}

void DoubleClickAt(TControl* C, int X, int Y) {
    SendMouse(C, QEvent::MouseButtonPress, X, Y, 0);
    SendMouse(C, QEvent::MouseButtonRelease, X, Y, 0);
    SendMouse(C, QEvent::MouseButtonDblClick, X, Y, 0);
    SendMouse(C, QEvent::MouseButtonRelease, X, Y, 0);
}

void PressKey(TWinControl* C, uint16_t VirtualKey, TShiftState Shift) {
    QWidget* W = FocusTarget(C);
    if (!W) return;
    QString Text;
    if ((VirtualKey >= 'A' && VirtualKey <= 'Z') || (VirtualKey >= '0' && VirtualKey <= '9') ||
        VirtualKey == ' ')
        Text = QChar((Shift & ssShift) || VirtualKey < 'A' ? VirtualKey : VirtualKey + 32);
    QKeyEvent Press(QEvent::KeyPress, QtKey(VirtualKey), Modifiers(Shift), Text);
    QApplication::sendEvent(W, &Press);
    QKeyEvent Release(QEvent::KeyRelease, QtKey(VirtualKey), Modifiers(Shift), Text);
    QApplication::sendEvent(W, &Release);
}

namespace {
void SendKey(QWidget* W, int Key, Qt::KeyboardModifiers Mods, const QString& Text) {
    QKeyEvent Press(QEvent::KeyPress, Key, Mods, Text);
    QApplication::sendEvent(W, &Press);
    QKeyEvent Release(QEvent::KeyRelease, Key, Mods, Text);
    if (QApplication::focusWidget() == W) QApplication::sendEvent(W, &Release);
}
}  // namespace

void TypeKeys(const AnsiString& Text) {
    for (QChar Ch : ToQ(Text)) {
        QWidget* W = QApplication::focusWidget();
        if (!W) return;
        int Key = Ch.isLetter() ? Qt::Key_A + (Ch.toUpper().unicode() - 'A') : Ch.unicode();
        if (Ch == ' ') Key = Qt::Key_Space;
        SendKey(W, Key, Ch.isUpper() ? Qt::ShiftModifier : Qt::NoModifier, QString(Ch));
        ProcessEvents();
    }
}

void PressFocusedKey(uint16_t VirtualKey, TShiftState Shift) {
    if (QWidget* W = QApplication::focusWidget()) SendKey(W, QtKey(VirtualKey), Modifiers(Shift), QString());
    ProcessEvents();
}

TWinControl* FocusedControl() {
    for (QWidget* W = QApplication::focusWidget(); W; W = W->parentWidget()) {
        QVariant V = W->property("agendixPeer");
        if (V.isValid())
            return dynamic_cast<TWinControl*>(reinterpret_cast<TQtPeer*>(V.value<quintptr>())->Control);
    }
    return nullptr;
}

void SwitchAwayAndBack() {
    Application->ApplicationStateChanged(false);
    Application->ApplicationStateChanged(true);
    ProcessEvents();
}

void TypeText(TWinControl* C, const AnsiString& Text) {
    QWidget* W = FocusTarget(C);
    if (!W) return;
    QInputMethodEvent E;
    E.setCommitString(ToQ(Text));
    QApplication::sendEvent(W, &E);
}

void Compose(TWinControl* C, const AnsiString& Preedit) {
    QWidget* W = FocusTarget(C);
    if (!W) return;
    QInputMethodEvent E(ToQ(Preedit), {});
    QApplication::sendEvent(W, &E);
}

void ResizeWindow(TForm* F, int ClientWidth, int ClientHeight) {
    QWidget* W = WidgetOf(F);
    if (!W) return;
    QSize Old = W->size();
    W->setMinimumSize(0, 0);
    W->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    W->resize(ClientWidth, ClientHeight);
    // A hidden window hears of its new size only when shown: tell it now, as a window system would.
    if (!W->isVisible()) {
        QResizeEvent E(QSize(ClientWidth, ClientHeight), Old);
        QApplication::sendEvent(W, &E);
    }
}

void ActivateWindow(TForm* F) {
    QWidget* W = WidgetOf(F);
    if (!W) return;
    W->activateWindow();
    QApplication::setActiveWindow(W);
    ProcessEvents();
}

bool Screenshot(TControl* C, const AnsiString& PngPath) {
    QWidget* W = WidgetOf(C);
    if (!W) return false;
    ProcessEvents();
    return W->grab().save(ToQ(PngPath), "PNG");
}

TColor ShownPixel(TControl* C, int X, int Y) {
    QWidget* W = WidgetOf(C);
    if (!W) return clNone;
    ProcessEvents();
    QImage I = W->grab().toImage();
    if (!I.valid(X, Y)) return clNone;
    QRgb P = I.pixel(X, Y);
    return static_cast<TColor>(qRed(P) | qGreen(P) << 8 | qBlue(P) << 16);
}

TMessageBoxAnswers::TMessageBoxAnswers(std::vector<int> Answers) : FAnswers(std::move(Answers)) {
    FOld = Application->MessageBoxHook;
    Application->MessageBoxHook = [this](const AnsiString& Text, const AnsiString& Caption, uint32_t Flags) {
        FShown.push_back({Text, Caption, Flags});
        if (!FAnswers.empty()) {
            int A = FAnswers.front();
            FAnswers.erase(FAnswers.begin());
            return A;
        }
        return (Flags & 0x0F) == MB_YESNO || (Flags & 0x0F) == MB_YESNOCANCEL ? IDNO : IDOK;
    };
}

TMessageBoxAnswers::~TMessageBoxAnswers() {
    Application->MessageBoxHook = FOld;
}

TModalActions::TModalActions(std::vector<TAction> Actions) : FActions(std::move(Actions)) {
    FOld = Application->ModalHook;
    Application->ModalHook = [this](TForm* Form) {
        if (FActions.empty()) return;
        TAction A = std::move(FActions.front());
        FActions.erase(FActions.begin());
        ++FRan;
        A(Form);
    };
}

TModalActions::~TModalActions() {
    Application->ModalHook = FOld;
}

void RightClickAt(TControl* C, int X, int Y) {
    QWidget* W = WidgetOf(C);
    if (!W) return;
    int N = C->NonClientWidth();
    QPoint Local(X + N, Y + N);
    QContextMenuEvent E(QContextMenuEvent::Mouse, Local, W->mapToGlobal(Local));
    QApplication::sendEvent(W, &E);
}

TMenuChoices::TMenuChoices(std::vector<AnsiString> Choices) : FChoices(std::move(Choices)) {
    FOld = TPopupMenu::PopupHook;
    TPopupMenu::PopupHook = [this](TPopupMenu* Menu) {
        std::vector<AnsiString> Captions;
        for (int I = 0; I < Menu->Count(); ++I) Captions.push_back(Menu->Items(I)->Caption);
        FShown.push_back(Captions);
        if (FChoices.empty()) return -1;
        AnsiString Want = FChoices.front();
        FChoices.erase(FChoices.begin());
        for (int I = 0; I < Menu->Count(); ++I)
            if (Captions[I] == Want) return I;
        return -1;
    };
}

TMenuChoices::~TMenuChoices() {
    TPopupMenu::PopupHook = FOld;
}

TFileDialogAnswers::TFileDialogAnswers(std::vector<AnsiString> Names) : FNames(std::move(Names)) {
    FOld = FileDialogHook;
    FileDialogHook = [this](AnsiString& FileName, bool) {
        ++FAsked;
        if (FNames.empty()) return false;
        FileName = FNames.front();
        FNames.erase(FNames.begin());
        return true;
    };
}

TFileDialogAnswers::~TFileDialogAnswers() {
    FileDialogHook = FOld;
}

}  // namespace TestDriver
