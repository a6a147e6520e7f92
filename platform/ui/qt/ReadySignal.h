#pragma once
class QWidget;

// For start-up benchmarks: when the environment variable AGENDIX_READY_FD names an open file
// descriptor, "ready" and a line break are written to it once Window has painted and handed its
// paint to the window system; the descriptor is then closed. Nothing happens without it.
void SignalReadyAfterPaint(QWidget* Window);
