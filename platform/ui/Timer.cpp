#include "platform/ui/Timer.h"

#include <QTimer>

#include "platform/ui/Forms.h"

struct TTimer::TImpl {
    QTimer Timer;
};

const TClassInfo& TTimer::StaticClassInfo() {
    static const TClassInfo I = TClassBuilder<TTimer>("TTimer", &TComponent::StaticClassInfo())
                                    .Creatable()
                                    .Inherit({"Tag"})
                                    .Bool("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true)
                                    .Int("Interval", &TTimer::Interval, &TTimer::SetInterval, 1000)
                                    .Event("OnTimer", &TTimer::OnTimer)
                                    .Build();
    return I;
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner), FImpl(std::make_unique<TImpl>()) {
    QObject::connect(&FImpl->Timer, &QTimer::timeout, [this] {
        if (OnTimer) GuardedCall(this, [this] { OnTimer(this); });
    });
    Restart();
}

TTimer::~TTimer() = default;

void TTimer::SetEnabled(bool V) {
    if (V == FEnabled) return;
    FEnabled = V;
    Restart();
}

void TTimer::SetInterval(int V) {
    if (V == FInterval) return;
    FInterval = V;
    Restart();
}

void TTimer::Loaded() {
    TComponent::Loaded();
    Restart();
}

void TTimer::Restart() {
    FImpl->Timer.stop();
    // A timer being read from a form description starts once it is loaded.
    if (FEnabled && FInterval > 0 && !Loading()) FImpl->Timer.start(FInterval);
}
