#include "platform/ui/qt/Accessible.h"

void InstallAccessibility() {}
