#pragma once
#include <QIcon>

inline constexpr const char* kDesktopId = "io.github.agendix.Agendix";

QIcon ApplicationIcon();
// Sets the application's icon and desktop entry and installs the accessibility of the controls;
// runs once, when the first window is created.
void EnsureDesktopIdentity();
