#pragma once
#include <functional>

class QWidget;

// Runs Then once Window (any window when nullptr) has painted for the first time and handed its
// paint to the window system: for work the first sight of the program need not wait for.
void AfterFirstPaint(QWidget* Window, std::function<void()> Then);

// For start-up benchmarks: when the environment variable AGENDIX_READY_FD names an open file
// descriptor, "ready" and a line break are written to it once Window has painted and handed its
// paint to the window system; the descriptor is then closed. Nothing happens without it.
void SignalReadyAfterPaint(QWidget* Window);
