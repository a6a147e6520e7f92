// SIGTERM and SIGINT (a session that logs out, a service manager, Ctrl+C in a terminal) close the
// main window as the user would, so the program ends normally and its database is closed.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

#include "platform/ui/Forms.h"

namespace {
int GSignalPipe[2] = {-1, -1};

void OnSignal(int) {
    char One = 1;
    [[maybe_unused]] ssize_t Ignored = write(GSignalPipe[1], &One, 1);
}
}  // namespace

void TApplication::CloseOnTerminationSignals() {
    if (GSignalPipe[0] >= 0 || pipe2(GSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* Notifier = new QSocketNotifier(GSignalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(Notifier, &QSocketNotifier::activated, Notifier, [this] {
        char Buf[16];
        while (read(GSignalPipe[0], Buf, sizeof Buf) > 0) {
        }
        if (FMainForm && FModalDepth == 0)
            GuardedCall(FMainForm, [this] { FMainForm->Close(); });
        else
            Terminate();
    });
    struct sigaction Action {};
    Action.sa_handler = OnSignal;
    sigemptyset(&Action.sa_mask);
    Action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &Action, nullptr);
    sigaction(SIGINT, &Action, nullptr);
}
