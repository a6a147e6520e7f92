#include <QAction>
#include <QCursor>
#include <QMenu>

#include "platform/ui/Controls.h"
#include "platform/ui/qt/QtPeer.h"

std::function<int(TPopupMenu* Menu)> TPopupMenu::PopupHook;

const TClassInfo& TPopupMenu::StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TPopupMenu>("TPopupMenu", nullptr).Creatable().Build();
    return Info;
}

TPopupMenu::~TPopupMenu() = default;

TMenuItem* TPopupMenu::Add(const AnsiString& Caption, TNotifyEvent OnClick) {
    auto Item = std::make_unique<TMenuItem>();
    Item->Caption = Caption;
    Item->OnClick = std::move(OnClick);
    FItems.push_back(std::move(Item));
    return FItems.back().get();
}

void TPopupMenu::Popup(int X, int Y) {
    if (OnPopup) OnPopup(this);
    int Chosen = -1;
    if (PopupHook) {
        Chosen = PopupHook(this);
    } else {
        QMenu Menu;
        std::vector<QAction*> Actions;
        for (auto& Item : FItems) {
            QAction* A = Menu.addAction(ToQ(Item->Caption));
            A->setEnabled(Item->Enabled);
            Actions.push_back(A);
        }
        QAction* Picked = Menu.exec(QPoint(X, Y));
        for (size_t I = 0; I < Actions.size(); ++I)
            if (Actions[I] == Picked) Chosen = static_cast<int>(I);
    }
    if (Chosen < 0 || Chosen >= Count()) return;
    TMenuItem* Item = FItems[Chosen].get();
    if (Item->Enabled && Item->OnClick) Item->OnClick(this);
}
