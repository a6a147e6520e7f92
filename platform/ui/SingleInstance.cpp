// One program per data folder: the first start holds a lock file in the folder and listens on a
// local socket; a later start finds the lock taken, asks the first to bring its main window to
// the front, and ends.
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QWidget>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include "platform/ui/Forms.h"
#include "platform/ui/qt/QtPeer.h"

namespace {
QString ServerName(const QString& Folder) {
    QByteArray Key =
        QCryptographicHash::hash(QDir(Folder).canonicalPath().toUtf8(), QCryptographicHash::Sha256);
    return "agendix-" + QString::fromLatin1(Key.toHex().left(24));
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
}  // namespace

bool TApplication::ClaimSingleInstance(const std::string& Folder) {
    QString Dir = QString::fromStdString(Folder);
    QDir().mkpath(Dir);
    QString Name = ServerName(Dir);
    // The kernel's lock on the file: it goes with the process however that ends, and taking it
    // writes nothing to the disk.
    int Lock = open(QFile::encodeName(Dir + "/agendix.lock").constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    for (int Try = 0; Try < 100; ++Try) {
        if (Lock >= 0 && flock(Lock, LOCK_EX | LOCK_NB) == 0) {
            QLocalServer::removeServer(Name);
            auto* Server = new QLocalServer(QCoreApplication::instance());
            Server->setSocketOptions(QLocalServer::UserAccessOption);
            QObject::connect(Server, &QLocalServer::newConnection, Server, [Server] {
                while (QLocalSocket* S = Server->nextPendingConnection()) {
                    QObject::connect(S, &QLocalSocket::disconnected, S, &QObject::deleteLater);
                    QObject::connect(S, &QLocalSocket::readyRead, S, [S] {
                        if (!S->readAll().startsWith("raise")) return;
                        GuardedCall(nullptr, BringToFront);
                        S->write("ok\n");
                        S->flush();
                    });
                }
            });
            Server->listen(Name);
            return true;  // the descriptor stays open, and the lock held, until the process ends
        }
        QLocalSocket Socket;
        Socket.connectToServer(Name);
        if (Socket.waitForConnected(200)) {
            Socket.write("raise\n");
            Socket.waitForBytesWritten(1000);
            Socket.waitForReadyRead(3000);
            if (Lock >= 0) close(Lock);
            return false;
        }
        // The first program is still starting: its socket comes right after its lock.
        QThread::msleep(50);
    }
    if (Lock >= 0) close(Lock);
    return false;
}
