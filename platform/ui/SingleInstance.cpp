// One program per data folder: the first start holds a lock file in the folder and listens on a
// local socket; a later start finds the lock taken, asks the first to bring its main window to
// the front, and ends.
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstring>

#include "platform/ui/Forms.h"
#include "platform/ui/qt/QtPeer.h"

namespace {
// The socket lives in the user's private run-time folder (else the temporary one), named after the
// user and the data folder.
sockaddr_un SocketAddress(const QString& Folder) {
    QByteArray Key =
        QCryptographicHash::hash(QDir(Folder).canonicalPath().toUtf8(), QCryptographicHash::Sha256);
    QString Runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QByteArray Path =
        QFile::encodeName((Runtime.isEmpty() ? QDir::tempPath() : Runtime) + "/agendix-" +
                          QString::number(getuid()) + "-" + QString::fromLatin1(Key.toHex().left(24)));
    sockaddr_un A{};
    A.sun_family = AF_UNIX;
    std::strncpy(A.sun_path, Path.constData(), sizeof A.sun_path - 1);
    return A;
}

// Waits up to Ms for Fd to have something to read.
bool Readable(int Fd, int Ms) {
    pollfd P{Fd, POLLIN, 0};
    return poll(&P, 1, Ms) == 1;
}

void BringToFront() {
    TForm* Main = Application->MainForm();
    if (!Main || !Main->Peer() || !Main->Peer()->Widget) return;
    QWidget* W = Main->Peer()->Widget;
    if (W->isMinimized()) W->showNormal();
    W->raise();
    W->activateWindow();
    // The request above carries the time of the last X event this program saw, which is older
    // than the focus the user gave another program since; without a window manager the server
    // ignores it. The user did ask for this window: focus it now.
    if (auto* X11 = qApp->nativeInterface<QNativeInterface::QX11Application>()) {
        xcb_set_input_focus(X11->connection(), XCB_INPUT_FOCUS_PARENT, static_cast<xcb_window_t>(W->winId()),
                            XCB_CURRENT_TIME);
        xcb_flush(X11->connection());
    }
}

// One request of a later start: "raise", answered once the window is in front.
void Answer(int Server) {
    int S = accept4(Server, nullptr, nullptr, SOCK_CLOEXEC);
    if (S < 0) return;
    char Buf[16] = {};
    if (Readable(S, 1000) && read(S, Buf, sizeof Buf - 1) > 0 && std::strncmp(Buf, "raise", 5) == 0) {
        GuardedCall(nullptr, BringToFront);
        (void)!write(S, "ok\n", 3);
    }
    close(S);
}
}  // namespace

bool TApplication::ClaimSingleInstance(const std::string& Folder) {
    QString Dir = QString::fromStdString(Folder);
    QDir().mkpath(Dir);
    sockaddr_un Address = SocketAddress(Dir);
    // The kernel's lock on the file: it goes with the process however that ends, and taking it
    // writes nothing to the disk.
    int Lock = open(QFile::encodeName(Dir + "/agendix.lock").constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    for (int Try = 0; Try < 100; ++Try) {
        if (Lock >= 0 && flock(Lock, LOCK_EX | LOCK_NB) == 0) {
            // Whoever holds the lock owns the socket: one left by a program that died goes.
            unlink(Address.sun_path);
            int Server = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            if (Server >= 0 && bind(Server, reinterpret_cast<sockaddr*>(&Address), sizeof Address) == 0 &&
                listen(Server, 4) == 0) {
                auto* Notifier =
                    new QSocketNotifier(Server, QSocketNotifier::Read, QCoreApplication::instance());
                QObject::connect(Notifier, &QSocketNotifier::activated, Notifier,
                                 [Server] { Answer(Server); });
            } else if (Server >= 0) {
                close(Server);  // a second start then finds no one to ask, and simply ends
            }
            return true;  // the descriptors stay open, and the lock held, until the process ends
        }
        int Client = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        bool Asked = Client >= 0 &&
                     connect(Client, reinterpret_cast<sockaddr*>(&Address), sizeof Address) == 0 &&
                     write(Client, "raise\n", 6) == 6;
        if (Asked) {
            char Buf[4];
            if (Readable(Client, 3000)) (void)!read(Client, Buf, sizeof Buf);
        }
        if (Client >= 0) close(Client);
        if (Asked) {
            if (Lock >= 0) close(Lock);
            return false;
        }
        // The first program is still starting: its socket comes right after its lock.
        usleep(50 * 1000);
    }
    if (Lock >= 0) close(Lock);
    return false;
}
