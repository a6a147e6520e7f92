#pragma once
#include <memory>

#include "platform/classes/TypInfo.h"

// Raises OnTimer every Interval milliseconds while enabled, on the user-interface thread.
class TTimer : public TComponent {
    AGENDIX_CLASS(TTimer)
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool V);
    int Interval() const { return FInterval; }
    void SetInterval(int V);
    void Loaded() override;
    TNotifyEvent OnTimer;

private:
    void Restart();
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
    bool FEnabled = true;
    int FInterval = 1000;
};
