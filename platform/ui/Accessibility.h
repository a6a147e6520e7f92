#pragma once
// What screen readers are told about the controls that paint themselves: a role, a name and a
// value for the control, and the same for each part it draws (days, rows, squares). Qt's
// accessibility bridge (platform/ui/qt) asks for it whenever an assistive technology does.
#include <functional>
#include <vector>

#include "platform/ui/Controls.h"

enum class TAccRole : uint8_t {
    Window,
    Pane,
    Label,
    Separator,
    Button,
    SpinButton,
    List,
    ListItem,
    Table,
    Cell,
    ProgressBar,
    Chart,
    Tree,
    TreeItem,
    Graphic,
};

struct TAccItem {
    TAccRole Role = TAccRole::Pane;
    AnsiString Name, Value, Description;
    TRect Bounds{};  // client coordinates of the control; empty for the control itself
    bool Selectable = false, Selected = false, Focused = false, Expandable = false, Expanded = false;
    // A number with its range, as a gauge shows it.
    bool HasRange = false;
    double Current = 0, Minimum = 0, Maximum = 0;
};

struct TAccDescription {
    TAccItem Self;
    std::vector<TAccItem> Parts;
};

using TAccDescriber = std::function<void(TControl* C, TAccDescription& D)>;

// Registers how controls for which Matches holds are described; the latest registration that
// matches wins.
void RegisterAccessible(std::function<bool(TControl*)> Matches, TAccDescriber Describe);
template <class T>
void RegisterAccessible(std::function<void(T*, TAccDescription&)> Describe) {
    RegisterAccessible([](TControl* C) { return dynamic_cast<T*>(C) != nullptr; },
                       [Describe](TControl* C, TAccDescription& D) { Describe(static_cast<T*>(C), D); });
}
TAccDescription DescribeAccessible(TControl* C);
