#include "platform/ui/PaintBox.h"

const TClassInfo& TPaintBox::StaticClassInfo() {
    static const TClassInfo I = TClassBuilder<TPaintBox>("TPaintBox", &TGraphicControl::StaticClassInfo())
                                    .Creatable()
                                    .Inherit({"Align", "Color", "Font", "ParentColor", "ParentFont", "Visible"})
                                    .Event("OnPaint", &TPaintBox::OnPaint)
                                    .Build();
    return I;
}

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 105, 105); }

void TPaintBox::Paint() {
    if (OnPaint) OnPaint(this);
}
