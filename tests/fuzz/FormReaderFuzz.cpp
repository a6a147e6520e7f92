// libFuzzer target: any text given to the form reader either loads or raises EReadError.
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/classes/FormIO.h"

namespace {
class TFuzzItem : public TComponent {
    AGENDIX_CLASS(TFuzzItem)
    using TComponent::TComponent;
    int Number = 0;
    AnsiString Text;
    bool Flag = false;
    TFuzzItem* Link = nullptr;
    TStrings* Lines() const { return FLines.get(); }

private:
    std::unique_ptr<TStringList> FLines = std::make_unique<TStringList>();
};
const TClassInfo& TFuzzItem::StaticClassInfo() {
    static const TClassInfo I = TClassBuilder<TFuzzItem>("TFuzzItem", &TComponent::StaticClassInfo())
                                    .Creatable()
                                    .Int("Number", &TFuzzItem::Number, &TFuzzItem::Number, 0)
                                    .Str("Text", &TFuzzItem::Text, &TFuzzItem::Text)
                                    .Bool("Flag", &TFuzzItem::Flag, &TFuzzItem::Flag, false)
                                    .Ref<TFuzzItem>("Link", &TFuzzItem::Link, &TFuzzItem::Link)
                                    .Lines("Lines", &TFuzzItem::Lines)
                                    .Build();
    return I;
}

class TFuzzRoot : public TComponent {
    AGENDIX_CLASS(TFuzzRoot)
    using TComponent::TComponent;
};
const TClassInfo& TFuzzRoot::StaticClassInfo() {
    static const TClassInfo I = TClassBuilder<TFuzzRoot>("TFuzzRoot", &TComponent::StaticClassInfo()).Build();
    return I;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    static bool Registered = (RegisterClass(TFuzzItem::StaticClassInfo()), true);
    (void)Registered;
    TFuzzRoot Root(nullptr);
    try {
        ReadComponentRes(&Root, std::string_view(reinterpret_cast<const char*>(Data), Size));
        WriteComponentRes(&Root);
    } catch (const EReadError&) {
    } catch (const EInvalidOperation&) {
    }
    return 0;
}
