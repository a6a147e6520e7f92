// The bridge between Qt and the controls: every Qt event that reaches system code is translated
// here, and only here, and runs under GuardedCall.
#include "platform/ui/qt/QtPeer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QImage>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>
#include <climits>

#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/Desktop.h"

QColor ToQColor(TColor C) {
    C = ColorToRGB(C);
    return QColor(GetRValue(C), GetGValue(C), GetBValue(C));
}

QFont ToQFont(const TFont& F) {
    QFont Q;
    AnsiString Name = F.Name();
    if (Name == "굴림체" || Name == "GulimChe" || Name == "돋움체" || Name == "바탕체") {
        Q.setFamilies({"NanumGothicCoding", "Nanum Gothic Coding", "monospace"});
    } else if (Name == "MS Sans Serif" || Name == "굴림" || Name == "돋움" || Name.empty()) {
        Q.setFamilies({"DejaVu Sans", "Liberation Sans", "NanumGothic", "sans-serif"});
    } else {
        Q.setFamilies({ToQ(Name), "NanumGothic", "sans-serif"});
    }
    if (F.Height() < 0)
        Q.setPixelSize(-F.Height());
    else if (F.Height() > 0)
        Q.setPixelSize(F.Height() * 3 / 4 > 0 ? F.Height() * 3 / 4 : 1);
    Q.setBold(F.Style() & fsBold);
    Q.setItalic(F.Style() & fsItalic);
    Q.setUnderline(F.Style() & fsUnderline);
    Q.setStrikeOut(F.Style() & fsStrikeOut);
    return Q;
}

namespace {

const char* const kPeerProperty = "agendixPeer";

// The text an input method is still composing, and where.
QPointer<QWidget> GComposeWidget;
QString GComposeText;
int GEventDepth = 0;

TQtPeer* PeerOf(const QObject* O) {
    QVariant V = O->property(kPeerProperty);
    return V.isValid() ? reinterpret_cast<TQtPeer*>(V.value<quintptr>()) : nullptr;
}

uint16_t VirtualKey(int Key) {
    if (Key >= Qt::Key_A && Key <= Qt::Key_Z) return static_cast<uint16_t>('A' + (Key - Qt::Key_A));
    if (Key >= Qt::Key_0 && Key <= Qt::Key_9) return static_cast<uint16_t>('0' + (Key - Qt::Key_0));
    if (Key >= Qt::Key_F1 && Key <= Qt::Key_F12) return static_cast<uint16_t>(0x70 + (Key - Qt::Key_F1));
    switch (Key) {
        case Qt::Key_Backspace:
            return VK_BACK;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return VK_TAB;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VK_RETURN;
        case Qt::Key_Shift:
            return VK_SHIFT;
        case Qt::Key_Control:
            return VK_CONTROL;
        case Qt::Key_Alt:
            return 0x12;
        case Qt::Key_Escape:
            return VK_ESCAPE;
        case Qt::Key_Space:
            return VK_SPACE;
        case Qt::Key_PageUp:
            return VK_PRIOR;
        case Qt::Key_PageDown:
            return VK_NEXT;
        case Qt::Key_End:
            return VK_END;
        case Qt::Key_Home:
            return VK_HOME;
        case Qt::Key_Left:
            return VK_LEFT;
        case Qt::Key_Up:
            return VK_UP;
        case Qt::Key_Right:
            return VK_RIGHT;
        case Qt::Key_Down:
            return VK_DOWN;
        case Qt::Key_Insert:
            return 0x2D;
        case Qt::Key_Delete:
            return VK_DELETE;
        default:
            return 0;
    }
}

TShiftState ShiftOf(Qt::KeyboardModifiers M, Qt::MouseButtons B = Qt::NoButton) {
    TShiftState S = 0;
    if (M & Qt::ShiftModifier) S |= ssShift;
    if (M & Qt::ControlModifier) S |= ssCtrl;
    if (M & Qt::AltModifier) S |= ssAlt;
    if (B & Qt::LeftButton) S |= ssLeft;
    if (B & Qt::RightButton) S |= ssRight;
    if (B & Qt::MiddleButton) S |= ssMiddle;
    return S;
}

TMouseButton ButtonOf(Qt::MouseButton B) {
    if (B == Qt::RightButton) return mbRight;
    if (B == Qt::MiddleButton) return mbMiddle;
    return mbLeft;
}

bool IsArrow(uint16_t VK) {
    return VK >= VK_LEFT && VK <= VK_DOWN;
}

// Shows a control's backing surface inside its frame; windows without a surface show their colour.
class TSurfaceWidget : public QWidget {
  public:
    explicit TSurfaceWidget(TQtPeer* P, QWidget* Parent) : QWidget(Parent), Peer(P) {
        setAttribute(Qt::WA_OpaquePaintEvent, P->Control->PaintsOpaque());
        setMouseTracking(true);
    }
    TQtPeer* Peer;

  protected:
    void paintEvent(QPaintEvent* Event) override {
        if (!Peer) return;
        TControl* C = Peer->Control;
        // On a screen with more device pixels than logical ones the surface keeps a copy at that
        // resolution; a new copy needs a full paint to get its text sharp.
        TBitmap* Surface = C->BackingSurface();
        const double Ratio = devicePixelRatioF();
        bool Repaint = C->PaintPending();
        if (Surface && Surface->DeviceScale() != Ratio) {
            Surface->SetDeviceScale(Ratio);
            Repaint = true;
        }
        ++GEventDepth;
        if (Repaint) GuardedCall(C, [C] { C->PaintSurfaceNow(); });
        --GEventDepth;
        QPainter P(this);
        int N = C->NonClientWidth();
        if (N > 0) {
            // A sunken frame: shadow and dark shadow outside, highlight and light inside.
            QRect R = rect();
            P.setPen(ToQColor(clBtnShadow));
            P.drawLine(R.left(), R.top(), R.right(), R.top());
            P.drawLine(R.left(), R.top(), R.left(), R.bottom());
            P.setPen(ToQColor(N > 1 ? clBtnHighlight : clBtnShadow));
            P.drawLine(R.left(), R.bottom(), R.right(), R.bottom());
            P.drawLine(R.right(), R.top(), R.right(), R.bottom());
            if (N > 1) {
                R.adjust(1, 1, -1, -1);
                P.setPen(ToQColor(cl3DDkShadow));
                P.drawLine(R.left(), R.top(), R.right(), R.top());
                P.drawLine(R.left(), R.top(), R.left(), R.bottom());
                P.setPen(ToQColor(cl3DLight));
                P.drawLine(R.left(), R.bottom(), R.right(), R.bottom());
                P.drawLine(R.right(), R.top(), R.right(), R.bottom());
            }
        }
        QRect Client(N, N, std::max(0, width() - 2 * N), std::max(0, height() - 2 * N));
        bool Opaque = C->PaintsOpaque();
        if (TBitmap* S = C->BackingSurface(); S && S->Width() > 0 && S->Height() > 0) {
            // Painted pixels carry full alpha; a transparent control's untouched ones carry none.
            const bool Device = S->HasDevice();
            const int W = Device ? S->DeviceWidth() : S->Width(),
                      H = Device ? S->DeviceHeight() : S->Height();
            QImage Img(reinterpret_cast<const uchar*>(Device ? S->DeviceBits() : S->Bits()), W, H, W * 4,
                       Opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
            if (Device) {
                Img.setDevicePixelRatio(S->DeviceScale());
                if (Opaque) P.fillRect(Client, ToQColor(C->Color()));
                P.drawImage(QPoint(N, N), Img);
            } else {
                // Only the parts asked for: a transparent child's update repaints its parent under
                // it, and one draw of the whole surface through a clip of many rectangles costs more.
                const QRect Shown(N, N, W, H);
                for (const QRect& R : Event->region()) {
                    QRect Part = R & Client;
                    if (Opaque)
                        for (const QRect& Bare : QRegion(Part).subtracted(Shown))
                            P.fillRect(Bare, ToQColor(C->Color()));
                    if (QRect Src = Part & Shown; !Src.isEmpty())
                        P.drawImage(Src.topLeft(), Img, Src.translated(-N, -N));
                }
            }
        } else if (Opaque) {
            P.fillRect(Client, ToQColor(C->Color()));
        }
    }
};

// Translates the events of every control widget into the controls' messages and input calls.
class TEventBridge : public QObject {
  public:
    bool eventFilter(QObject* Watched, QEvent* E) override {
        TQtPeer* P = PeerOf(Watched);
        if (!P || !P->Control) return false;
        bool Consumed = false;
        ++GEventDepth;
        GuardedCall(P->Control, [&] { Consumed = Handle(P, static_cast<QWidget*>(Watched), E); });
        --GEventDepth;
        return Consumed;
    }

  private:
    static TPoint ClientPos(TQtPeer* P, QWidget* W, QPointF Pos) {
        QPoint At = W == P->Widget ? Pos.toPoint() : W->mapTo(P->Widget, Pos.toPoint());
        int N = P->Control->NonClientWidth();
        return {At.x() - N, At.y() - N};
    }

    bool Handle(TQtPeer* P, QWidget* W, QEvent* E) {
        TControl* C = P->Control;
        auto* Form = dynamic_cast<TForm*>(C);
        bool TopLevel = Form && W == P->Widget;
        switch (E->type()) {
            case QEvent::Resize:
                if (TopLevel) {
                    auto* RE = static_cast<QResizeEvent*>(E);
                    Form->WindowResized(RE->size().width(), RE->size().height());
                }
                return false;
            case QEvent::Move:
                if (TopLevel) Form->WindowMoved(P->Widget->x(), P->Widget->y());
                return false;
            case QEvent::Close:
                if (TopLevel) {
                    E->ignore();
                    Form->Close();
                    return true;
                }
                return false;
            case QEvent::WindowActivate:
                if (TopLevel) Application->WindowActivated(Form);
                return false;
            case QEvent::FocusIn:
                if (W != P->Widget) return false;
                C->Perform(WM_SETFOCUS);
                if (C->OnEnter) C->OnEnter(C);
                return false;
            case QEvent::FocusOut:
                if (W != P->Widget) return false;
                if (P->NativeText) TQtPeer::CommitComposition();
                C->Perform(WM_KILLFOCUS);
                if (C->OnExit) C->OnExit(C);
                return false;
            case QEvent::InputMethod: {
                auto* IE = static_cast<QInputMethodEvent*>(E);
                if (!IE->commitString().isEmpty() || IE->preeditString().isEmpty()) {
                    if (GComposeWidget == W) GComposeText.clear();
                } else {
                    GComposeWidget = W;
                    GComposeText = IE->preeditString();
                }
                return false;
            }
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
                return Key(P, W, static_cast<QKeyEvent*>(E), E->type() == QEvent::KeyPress);
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick: {
                auto* ME = static_cast<QMouseEvent*>(E);
                TPoint At = ClientPos(P, W, ME->position());
                TShiftState S = ShiftOf(ME->modifiers(), ME->buttons());
                bool Double = E->type() == QEvent::MouseButtonDblClick;
                if (Double) S |= ssDouble;
                C->MouseDown(ButtonOf(ME->button()), S, At.X, At.Y);
                if (Double && (C->ControlStyle() & csDoubleClicks) && ME->button() == Qt::LeftButton)
                    C->DblClick();
                return !P->NativeText && !P->NativeClicks;
            }
            case QEvent::MouseButtonRelease: {
                auto* ME = static_cast<QMouseEvent*>(E);
                TPoint At = ClientPos(P, W, ME->position());
                C->MouseUp(ButtonOf(ME->button()), ShiftOf(ME->modifiers(), ME->buttons()), At.X, At.Y);
                TRect R = C->ClientRect();
                if (!P->NativeClicks && (C->ControlStyle() & csClickEvents) &&
                    ME->button() == Qt::LeftButton && At.X >= 0 && At.Y >= 0 && At.X < R.Right &&
                    At.Y < R.Bottom)
                    C->Click();
                return !P->NativeText && !P->NativeClicks;
            }
            case QEvent::MouseMove: {
                auto* ME = static_cast<QMouseEvent*>(E);
                TPoint At = ClientPos(P, W, ME->position());
                C->MouseMove(ShiftOf(ME->modifiers(), ME->buttons()), At.X, At.Y);
                return false;
            }
            case QEvent::ContextMenu: {
                auto* CE = static_cast<QContextMenuEvent*>(E);
                return ShowPopup(C, CE->globalPos());
            }
            case QEvent::Wheel:
                if (auto* WE = static_cast<QWheelEvent*>(E);
                    W == P->Widget &&
                    C->DoMouseWheel(ShiftOf(WE->modifiers(), WE->buttons()), WE->angleDelta().y()))
                    return true;
                if (P->VertScroll && W == P->Widget) {
                    QCoreApplication::sendEvent(P->VertScroll, E);
                    return true;
                }
                return false;
            default:
                return false;
        }
    }

    // The control's popup menu, or the nearest parent's, at a screen point; false when none.
    static bool ShowPopup(TControl* C, QPoint At) {
        for (TControl* Owner = C; Owner; Owner = Owner->Parent()) {
            if (TPopupMenu* Menu = Owner->PopupMenu()) {
                Menu->SetPopupComponent(C);
                Menu->Popup(At.x(), At.y());
                return true;
            }
        }
        return false;
    }

    // Keys ask the control which keys it wants, then reach KeyDown and KeyPress (or KeyUp).
    bool Key(TQtPeer* P, QWidget* W, QKeyEvent* KE, bool Press) {
        if (QApplication::focusWidget() != W) return false;
        TControl* C = P->Control;
        bool MenuKey =
            KE->key() == Qt::Key_Menu || (KE->key() == Qt::Key_F10 && KE->modifiers() == Qt::ShiftModifier);
        if (MenuKey && Press && ShowPopup(C, W->mapToGlobal(W->rect().center()))) return true;
        bool Native = P->NativeText || P->NativeClicks;
        uint16_t VK = VirtualKey(KE->key());
        TShiftState Shift = ShiftOf(KE->modifiers());
        if (VK == VK_TAB && !Native) {
            int64_t Code = C->Perform(WM_GETDLGCODE).Result;
            if (!(Code & (DLGC_WANTTAB | DLGC_WANTALLKEYS))) return false;
        } else if (!Native && VK) {
            int64_t Code = C->Perform(WM_GETDLGCODE).Result;
            if (IsArrow(VK) && !(Code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS))) return true;
        }
        // A focused button is pressed by Enter as by Space, whether or not it is a default button.
        if (P->NativeClicks && Press && VK == VK_RETURN && !KE->isAutoRepeat()) {
            if (auto* B = qobject_cast<QAbstractButton*>(W)) B->click();
            return true;
        }
        // Elsewhere they press the form's default and cancel buttons, as in any dialog; a
        // multi-line text keeps its Enter.
        if (Press && !KE->isAutoRepeat() &&
            (VK == VK_ESCAPE || (VK == VK_RETURN && !qobject_cast<QPlainTextEdit*>(W))))
            if (TForm* F = GetParentForm(C))
                if (TButton* B = F->DialogButton(VK == VK_ESCAPE); B && B->Peer())
                    if (auto* Button = qobject_cast<QAbstractButton*>(B->Peer()->Widget.data())) {
                        Button->click();
                        return true;
                    }
        if (!Press) {
            if (VK) {
                uint16_t K = VK;
                C->KeyUp(K, Shift);
                if (K == 0) return true;
            }
            return !Native;
        }
        if (VK) {
            uint16_t K = VK;
            C->KeyDown(K, Shift);
            if (K == 0) return true;
        }
        QString T = KE->text();
        if (T.size() == 1 && T[0].unicode() < 128 &&
            (T[0].unicode() >= 32 || T[0].unicode() == 8 || T[0].unicode() == 13 || T[0].unicode() == 27)) {
            char Ch = static_cast<char>(T[0].unicode());
            C->KeyPress(Ch);
            if (Ch == 0) return true;
        }
        return !Native;
    }
};

TEventBridge& Bridge() {
    static TEventBridge* B = new TEventBridge;
    return *B;
}

Qt::CursorShape CursorShape(TCursor C) {
    switch (C) {
        case crHandPoint:
            return Qt::PointingHandCursor;
        case crIBeam:
            return Qt::IBeamCursor;
        case crDrag:
            return Qt::DragMoveCursor;
        case -3:
            return Qt::CrossCursor;
        case -6:
            return Qt::SizeBDiagCursor;
        case -7:
            return Qt::SizeVerCursor;
        case -8:
            return Qt::SizeFDiagCursor;
        case -9:
            return Qt::SizeHorCursor;
        case -10:
            return Qt::UpArrowCursor;
        case -11:
            return Qt::WaitCursor;
        case -18:
        case -13:
            return Qt::ForbiddenCursor;
        case -20:
            return Qt::WhatsThisCursor;
        case -19:
            return Qt::BusyCursor;
        case -1:
            return Qt::BlankCursor;
        default:
            return Qt::ArrowCursor;
    }
}

}  // namespace

TQtPeer* TQtPeer::Of(const QObject* O) {
    return O ? PeerOf(O) : nullptr;
}

TQtPeer::~TQtPeer() {
    if (VertScroll) QObject::disconnect(VertScroll, nullptr, nullptr, nullptr);
    if (!Widget) return;
    QWidget* W = Widget;
    for (QObject* O : W->findChildren<QObject*>())
        if (PeerOf(O) == this) {
            O->setProperty(kPeerProperty, QVariant());
            O->removeEventFilter(&Bridge());
        }
    W->setProperty(kPeerProperty, QVariant());
    W->removeEventFilter(&Bridge());
    QObject::disconnect(W, nullptr, nullptr, nullptr);
    if (auto* S = dynamic_cast<TSurfaceWidget*>(W)) S->Peer = nullptr;
    if (GComposeWidget == W) GComposeText.clear();
    if (GEventDepth > 0) {
        W->hide();
        W->deleteLater();
    } else {
        delete W;
    }
}

QWidget* TQtPeer::ParentWidget() const {
    TWinControl* P = Control->Parent();
    return P && P->Peer() ? P->Peer()->Widget.data() : nullptr;
}

void TQtPeer::Attach(QWidget* W) {
    Widget = W;
    W->setProperty(kPeerProperty, QVariant::fromValue(reinterpret_cast<quintptr>(this)));
    W->installEventFilter(&Bridge());
    if (!dynamic_cast<TForm*>(Control)) {
        SyncGeometry();
        SyncVisible();
    }
    SyncEnabled();
    SyncFont();
    SyncColor();
    SyncCursor();
    SyncAccessibleName();
}

std::unique_ptr<TQtPeer> TQtPeer::CreateSurface(TControl* C) {
    auto P = std::make_unique<TQtPeer>();
    P->Control = C;
    auto* W = new TSurfaceWidget(P.get(), P->ParentWidget());
    if (auto* WC = dynamic_cast<TWinControl*>(C))
        W->setFocusPolicy(WC->TabStop() ? Qt::StrongFocus : Qt::ClickFocus);
    else
        W->setFocusPolicy(Qt::NoFocus);
    P->Attach(W);
    return P;
}

std::unique_ptr<TQtPeer> TQtPeer::CreateWindow(TForm* F) {
    EnsureDesktopIdentity();
    auto P = std::make_unique<TQtPeer>();
    P->Control = F;
    auto* W = new TSurfaceWidget(P.get(), nullptr);
    W->setFocusPolicy(Qt::NoFocus);
    W->setWindowTitle(ToQ(F->Caption()));
    P->Attach(W);
    return P;
}

std::unique_ptr<TQtPeer> TQtPeer::CreateButton(TButton* B) {
    auto P = std::make_unique<TQtPeer>();
    P->Control = B;
    P->NativeClicks = true;
    auto* W = new QPushButton(ToQ(B->Caption()), P->ParentWidget());
    W->setAutoDefault(false);
    W->setFocusPolicy(B->TabStop() ? Qt::StrongFocus : Qt::ClickFocus);
    QObject::connect(W, &QPushButton::clicked, W, [B] {
        ++GEventDepth;
        GuardedCall(B, [B] { B->Click(); });
        --GEventDepth;
    });
    P->Attach(W);
    return P;
}

std::unique_ptr<TQtPeer> TQtPeer::CreateEdit(TEdit* E) {
    auto P = std::make_unique<TQtPeer>();
    P->Control = E;
    P->NativeText = true;
    auto* W = new QLineEdit(P->ParentWidget());
    W->setMaxLength(E->MaxLength() > 0 ? E->MaxLength() : INT_MAX);
    W->setText(ToQ(E->FText));
    W->setReadOnly(E->ReadOnly());
    if (E->PasswordChar()) W->setEchoMode(QLineEdit::Password);
    W->setFocusPolicy(E->TabStop() ? Qt::StrongFocus : Qt::ClickFocus);
    QObject::connect(W, &QLineEdit::textChanged, W, [E](const QString& T) {
        ++GEventDepth;
        GuardedCall(E, [E, T] { E->WidgetTextChanged(FromQ(T)); });
        --GEventDepth;
    });
    P->Attach(W);
    return P;
}

std::unique_ptr<TQtPeer> TQtPeer::CreateComboBox(TComboBox* C) {
    auto P = std::make_unique<TQtPeer>();
    P->Control = C;
    P->NativeText = true;
    auto* W = new QComboBox(P->ParentWidget());
    W->setEditable(C->Style() == csDropDown || C->Style() == csSimple);
    W->setInsertPolicy(QComboBox::NoInsert);
    W->setMaxVisibleItems(C->DropDownCount());
    W->setFocusPolicy(C->TabStop() ? Qt::StrongFocus : Qt::ClickFocus);
    P->Attach(W);
    QObject::connect(W, QOverload<int>::of(&QComboBox::activated), W, [C](int I) {
        ++GEventDepth;
        GuardedCall(C, [C, I] { C->WidgetSelected(I); });
        --GEventDepth;
    });
    QObject::connect(W, &QComboBox::editTextChanged, W, [C](const QString& T) {
        ++GEventDepth;
        GuardedCall(C, [C, T] { C->WidgetEditChanged(FromQ(T)); });
        --GEventDepth;
    });
    return P;
}

std::unique_ptr<TQtPeer> TQtPeer::CreateMemo(TMemo* M) {
    auto P = std::make_unique<TQtPeer>();
    P->Control = M;
    P->NativeText = true;
    auto* W = new QPlainTextEdit(P->ParentWidget());
    W->setReadOnly(M->ReadOnly());
    W->setLineWrapMode(M->WordWrap() ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    W->setTabChangesFocus(!M->WantTabs());
    W->setFocusPolicy(M->TabStop() ? Qt::StrongFocus : Qt::ClickFocus);
    P->Attach(W);
    // Mouse events of a memo arrive at its viewport.
    W->viewport()->setProperty(kPeerProperty, QVariant::fromValue(reinterpret_cast<quintptr>(P.get())));
    W->viewport()->installEventFilter(&Bridge());
    QObject::connect(W, &QPlainTextEdit::textChanged, W, [M] {
        ++GEventDepth;
        GuardedCall(M, [M] { M->WidgetTextChanged(); });
        --GEventDepth;
    });
    return P;
}

void TQtPeer::SyncGeometry() {
    if (!Widget) return;
    if (auto* F = dynamic_cast<TForm*>(Control)) {
        Widget->move(F->Left(), F->Top());
        Widget->resize(F->ClientWidth(), F->ClientHeight());
        if (F->BorderStyle() != bsSizeable && F->BorderStyle() != bsSizeToolWin)
            Widget->setFixedSize(F->ClientWidth(), F->ClientHeight());
        else {
            Widget->setMinimumSize(0, 0);
            Widget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        }
        return;
    }
    int N = Control->Parent() ? Control->Parent()->NonClientWidth() : 0;
    Widget->setGeometry(Control->Left() + N, Control->Top() + N, Control->Width(), Control->Height());
    if (VertScroll) {
        int B = Control->NonClientWidth();
        VertScroll->setGeometry(Control->Width() - B - 16, B, 16, std::max(0, Control->Height() - 2 * B));
    }
}

void TQtPeer::SyncVisible() {
    if (Widget && !dynamic_cast<TForm*>(Control)) Widget->setVisible(Control->Visible());
}

void TQtPeer::SyncEnabled() {
    if (Widget) Widget->setEnabled(Control->Enabled());
}

void TQtPeer::SyncFont() {
    if (Widget && (NativeText || NativeClicks)) Widget->setFont(ToQFont(*Control->Font()));
    if (Widget) Widget->update();
}

void TQtPeer::SyncColor() {
    if (!Widget) return;
    if (NativeText) {
        QPalette Pal = Widget->palette();
        Pal.setColor(QPalette::Base, ToQColor(Control->Color()));
        Pal.setColor(QPalette::Text, ToQColor(Control->Font()->Color()));
        Widget->setPalette(Pal);
        // A memo paints its text area through its viewport, which keeps a palette of its own.
        if (auto* Area = qobject_cast<QAbstractScrollArea*>(Widget.data())) Area->viewport()->setPalette(Pal);
    }
    Widget->update();
}

void TQtPeer::SyncCursor() {
    if (!Widget) return;
    if (Control->Cursor() == crDefault)
        Widget->unsetCursor();
    else
        Widget->setCursor(CursorShape(Control->Cursor()));
}

void TQtPeer::SyncAccessibleName() {
    // Native widgets answer screen readers themselves; they only need the name.
    // On Linux a combo box tells its current item as its name, so the name goes into the
    // description as well, which screen readers read too.
    if (Widget && (NativeText || NativeClicks) && !Control->AccessibleName().empty()) {
        Widget->setAccessibleName(ToQ(Control->AccessibleName()));
        Widget->setAccessibleDescription(ToQ(Control->AccessibleName()));
    }
}

void TQtPeer::ScheduleShow() {
    if (Widget) Widget->update();
}

void TQtPeer::ShowNow() {
    if (Widget && Widget->isVisible()) Widget->repaint();
}

void TQtPeer::SetVertScrollBar(bool Visible, int Min, int Max, int Pos, int Page) {
    if (!Widget) return;
    if (!VertScroll) {
        if (!Visible) return;
        VertScroll = new QScrollBar(Qt::Vertical, Widget);
        VertScroll->setFocusPolicy(Qt::NoFocus);
        QObject::connect(VertScroll, &QScrollBar::valueChanged, VertScroll, [this](int V) {
            if (!OnVertScroll) return;
            ++GEventDepth;
            GuardedCall(Control, [this, V] { OnVertScroll(V); });
            --GEventDepth;
        });
    }
    QSignalBlocker Block(VertScroll);
    VertScroll->setRange(Min, std::max(Min, Max));
    VertScroll->setPageStep(std::max(1, Page));
    VertScroll->setValue(Pos);
    VertScroll->setVisible(Visible);
    SyncGeometry();
}

void TQtPeer::CommitComposition() {
    if (!GComposeWidget || GComposeText.isEmpty()) return;
    QPointer<QWidget> W = GComposeWidget;
    if (QApplication::focusWidget() == W) QGuiApplication::inputMethod()->commit();
    if (!W || GComposeWidget != W || GComposeText.isEmpty()) return;
    // The input method did not commit (or the focus has left the widget): commit it ourselves.
    QInputMethodEvent Commit;
    Commit.setCommitString(GComposeText);
    GComposeText.clear();
    QCoreApplication::sendEvent(W, &Commit);
    QGuiApplication::inputMethod()->reset();
}
