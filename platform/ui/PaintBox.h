#pragma once
#include "platform/ui/Controls.h"

// A surface that its owner draws on in OnPaint.
class TPaintBox : public TGraphicControl {
    AGENDIX_CLASS(TPaintBox)
    explicit TPaintBox(TComponent* AOwner);
    TNotifyEvent OnPaint;

protected:
    void Paint() override;
};
