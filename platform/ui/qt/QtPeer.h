#pragma once
// The Qt side of controls. Only platform/ui .cpp files include this header.
#include <QColor>
#include <QFont>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"

class QScrollBar;
class TButton;
class TEdit;
class TComboBox;
class TMemo;
class TForm;

inline QString ToQ(const AnsiString& S) {
    return QString::fromUtf8(S.data(), static_cast<int>(S.size()));
}
inline AnsiString FromQ(const QString& S) {
    return S.toUtf8().toStdString();
}
QColor ToQColor(TColor C);
QFont ToQFont(const TFont& F);

struct TQtPeer {
    TControl* Control = nullptr;
    QPointer<QWidget> Widget;
    QPointer<QScrollBar> VertScroll;
    std::function<void(int)> OnVertScroll;
    // The widget reports clicks itself (push buttons); mouse releases do not click.
    bool NativeClicks = false;
    // A native text widget (edit, combo box, memo): keys and input-method text go to it.
    bool NativeText = false;

    ~TQtPeer();
    // The peer of a control's widget, or null for widgets of no control.
    static TQtPeer* Of(const QObject* O);
    QWidget* ParentWidget() const;

    // A widget that shows the control's backing surface (or its colour) and frame.
    static std::unique_ptr<TQtPeer> CreateSurface(TControl* C);
    // A top-level window for a form.
    static std::unique_ptr<TQtPeer> CreateWindow(TForm* F);
    static std::unique_ptr<TQtPeer> CreateButton(TButton* B);
    static std::unique_ptr<TQtPeer> CreateEdit(TEdit* E);
    static std::unique_ptr<TQtPeer> CreateComboBox(TComboBox* C);
    static std::unique_ptr<TQtPeer> CreateMemo(TMemo* M);

    // Follow the control's state.
    void SyncGeometry();
    void SyncVisible();
    void SyncEnabled();
    void SyncFont();
    void SyncColor();
    void SyncCursor();
    void SyncAccessibleName();
    void ScheduleShow();  // surface changed: show it at the next paint
    void ShowNow();       // and now
    void SetVertScrollBar(bool Visible, int Min, int Max, int Pos, int Page);

    // Commits what an input method is still composing in any text widget, so a read of its
    // text or a button press sees the last syllable typed.
    static void CommitComposition();

  private:
    void Attach(QWidget* W);
};
