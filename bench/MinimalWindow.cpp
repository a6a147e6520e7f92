// The start-up baseline: the least a Qt Widgets program does to show a window, one label in it,
// and say when it has painted (the same way Agendix says it).
#include <QApplication>
#include <QLabel>

#include "platform/ui/qt/FirstPaint.h"

int main(int argc, char** argv) {
    QApplication App(argc, argv);
    QLabel Label(QString::fromUtf8("나의 일정관리"));
    Label.show();
    SignalReadyAfterPaint(&Label);
    return App.exec();
}
