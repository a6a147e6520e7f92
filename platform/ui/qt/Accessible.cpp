#include "platform/ui/qt/Accessible.h"

void InstallAccessibility() {}
void AccessibleFocusMoved(TControl*, TControl*) {}
