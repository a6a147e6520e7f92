#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/ui/Controls.h"

class TTimer;

enum TUDBtnType : uint8_t { btNext, btPrev };
enum TUDOrientation : uint8_t { udHorizontal, udVertical };
enum TUDAlignButton : uint8_t { udLeft, udRight };
using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;
using TUDChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

// A spinner of two arrow buttons over Position in [Min, Max]. The up (or right) arrow is btNext.
// At a limit without Wrap a click moves nothing and raises nothing. An arrow held down repeats;
// with the focus the arrow keys and PageUp/PageDown step it, and so does the mouse wheel over it.
class TUpDown : public TCustomControl {
    AGENDIX_CLASS(TUpDown)
    explicit TUpDown(TComponent* AOwner);
    ~TUpDown() override;
    int Min() const { return FMin; }
    void SetMin(int V);
    int Max() const { return FMax; }
    void SetMax(int V);
    int Position() const { return FPosition; }
    void SetPosition(int V);  // clamped to [Min, Max]; raises nothing
    int Increment() const { return FIncrement; }
    void SetIncrement(int V) { FIncrement = V; }
    bool Wrap() const { return FWrap; }
    void SetWrap(bool V) { FWrap = V; }
    TUDOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TUDOrientation V);
    TUDAlignButton AlignButton() const { return FAlignButton; }
    void SetAlignButton(TUDAlignButton V) { FAlignButton = V; }
    bool ArrowKeys() const { return FArrowKeys; }
    void SetArrowKeys(bool V) { FArrowKeys = V; }
    bool Thousands() const { return FThousands; }
    void SetThousands(bool V) { FThousands = V; }
    using TCustomControl::Click;
    // What a press on one arrow does.
    void Click(TUDBtnType Button);
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta) override;
    void Dispatch(TMessage& Message) override;

    TUDClickEvent OnClick;
    TUDChangingEvent OnChanging;

  protected:
    void Paint() override;

  private:
    int FMin = 0, FMax = 100, FPosition = 0, FIncrement = 1;
    bool FWrap = false, FArrowKeys = true, FThousands = true;
    TUDOrientation FOrientation = udVertical;
    TUDAlignButton FAlignButton = udRight;
    int FPressed = -1;  // the arrow held down: btNext, btPrev, or -1
    std::unique_ptr<TTimer> FRepeat;
    int FWheel = 0;  // wheel turns not yet a whole notch
    void Repeat();
};
