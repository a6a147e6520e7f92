#include "platform/ui/qt/FirstPaint.h"

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
    TPaintWatch(QWidget* Window, std::function<void()> Then)
        : QObject(qApp), FWindow(Window), FThen(std::move(Then)) {}
    // A window covered by its children gets no paint of its own: any widget of it will do.
    bool eventFilter(QObject* Watched, QEvent* Event) override {
        if (Event->type() == QEvent::Paint && !FSeen && Watched->isWidgetType() &&
            (!FWindow || static_cast<QWidget*>(Watched)->window() == FWindow)) {
            FSeen = true;
            // The children paint and the window is flushed within the same update; a zero timer
            // runs after all of it.
            QTimer::singleShot(0, this, [this] {
                qApp->removeEventFilter(this);
                FThen();
                deleteLater();
            });
        }
        return false;
    }

  private:
    QWidget* FWindow;
    std::function<void()> FThen;
    bool FSeen = false;
};
}  // namespace

void AfterFirstPaint(QWidget* Window, std::function<void()> Then) {
    qApp->installEventFilter(new TPaintWatch(Window, std::move(Then)));
}

void SignalReadyAfterPaint(QWidget* Window) {
    const char* Text = std::getenv("AGENDIX_READY_FD");
    if (!Text || !*Text || !Window) return;
    char* End = nullptr;
    long Fd = std::strtol(Text, &End, 10);
    if (*End || Fd < 0) return;
    unsetenv("AGENDIX_READY_FD");  // one signal per process, for the first window only
    AfterFirstPaint(Window, [Fd] {
        static const char Ready[] = "ready\n";
        [[maybe_unused]] ssize_t N = write(static_cast<int>(Fd), Ready, sizeof Ready - 1);
        close(static_cast<int>(Fd));
    });
}
