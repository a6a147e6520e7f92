// The program as the desktop sees it: its icon on every window and the menu entry it belongs to.
#include "platform/ui/qt/Desktop.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

#include "AppIcon.h"
#include "platform/ui/qt/Accessible.h"
#include "platform/ui/qt/FirstPaint.h"

namespace {
template <size_t N>
void AddPng(QIcon& Icon, const unsigned char (&Png)[N]) {
    QPixmap P;
    if (P.loadFromData(Png, N, "PNG")) Icon.addPixmap(P);
}
}  // namespace

QIcon ApplicationIcon() {
    // An installed icon theme wins; a program run from its build tree carries its own bitmaps.
    QIcon Icon = QIcon::fromTheme(kDesktopId);
    if (!Icon.isNull()) return Icon;
    AddPng(Icon, kAppIcon16_png);
    AddPng(Icon, kAppIcon32_png);
    AddPng(Icon, kAppIcon48_png);
    AddPng(Icon, kAppIcon256_png);
    return Icon;
}

void EnsureDesktopIdentity() {
    static bool Done = false;
    if (Done || !QGuiApplication::instance()) return;
    Done = true;
    // The menu entry is the schedule manager's; Wayland matches windows to it by this name.
    if (QGuiApplication::applicationName() == "agendix") QGuiApplication::setDesktopFileName(kDesktopId);
    InstallAccessibility();
    // Looking the icon up in the icon theme and decoding it costs more than painting the window:
    // the window manager gets it right after.
    AfterFirstPaint(nullptr, [] { QGuiApplication::setWindowIcon(ApplicationIcon()); });
}
