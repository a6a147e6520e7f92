#include "platform/ui/qt/ReadySignal.h"

#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

namespace {
class TPaintWatch : public QObject {
  public:
    TPaintWatch(QWidget* Window, int Fd) : QObject(Window), FWindow(Window), FFd(Fd) {}
    // A window covered by its children gets no paint of its own: any widget of it will do.
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Event->type() == QEvent::Paint && !FSeen && Watched->isWidgetType() &&
            static_cast<QWidget*>(Watched)->window() == FWindow) {
            FSeen = true;
            // The children paint and the window is flushed within the same update; a zero timer
            // runs after all of it.
            QTimer::singleShot(0, this, [this] {
                static const char Ready[] = "ready\n";
                [[maybe_unused]] ssize_t N = write(FFd, Ready, sizeof Ready - 1);
                close(FFd);
                qApp->removeEventFilter(this);
                deleteLater();
            });
        }
        return false;
    }

  private:
    QWidget* FWindow;
    int FFd;
    bool FSeen = false;
};
}  // namespace

void SignalReadyAfterPaint(QWidget* Window) {
    const char* Text = std::getenv("AGENDIX_READY_FD");
    if (!Text || !*Text || !Window) return;
    char* End = nullptr;
    long Fd = std::strtol(Text, &End, 10);
    if (*End || Fd < 0) return;
    unsetenv("AGENDIX_READY_FD");  // one signal per process, for the first window only
    qApp->installEventFilter(new TPaintWatch(Window, static_cast<int>(Fd)));
}
