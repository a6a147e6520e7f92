// libFuzzer target: any text given to the form reader either loads or raises EReadError.
#include <cstdint>
#include <string_view>

#include "tests/classes/TestClasses.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    static bool Registered = (RegisterClass(TWidget::StaticClassInfo()), true);
    (void)Registered;
    TTestForm Root(nullptr);
    try {
        ReadComponentRes(&Root, std::string_view(reinterpret_cast<const char*>(Data), Size));
        WriteComponentRes(&Root);
    } catch (const EReadError&) {
    } catch (const EInvalidOperation&) {
    }
    return 0;
}
