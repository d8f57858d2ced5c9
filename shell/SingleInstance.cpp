#include "shell/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/un.h>
#endif

namespace pinlet {

namespace {

constexpr char kAnswer[] = "ok\n";
// A request is one line of commands parted by blanks; anything longer is not one of ours.
constexpr qint64 kLongestRequest = 64;

// The commands of a request line, or nothing when the line is not a request.
QStringList requestcommands(const QByteArray& line) {
    if (!line.endsWith('\n'))
        return {};
    const QStringList commands = QString::fromLatin1(line.chopped(1)).split(QLatin1Char(' '));
    const bool known = std::all_of(commands.begin(), commands.end(), [](const QString& command) {
        return SingleInstance::kCommands.contains(command);
    });
    return known ? commands : QStringList();
}

} // namespace

QString instancekey(const std::string& databasepath) {
    const QFileInfo file(QString::fromUtf8(databasepath.data(), qsizetype(databasepath.size())));
    QString path = file.exists() ? file.canonicalFilePath() : file.absoluteFilePath();
#ifdef Q_OS_WIN
    path = path.toLower();
#endif
    // The home folder stands for the user: socket names are machine-wide on Windows, and /tmp is shared.
    const QByteArray identity = (QDir::homePath() + QChar(u'\n') + path).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(identity, QCryptographicHash::Sha256).toHex();
    return QStringLiteral("pinlet-") + QString::fromLatin1(hash.left(24));
}

QString instancesocket(const QString& key) {
#ifdef Q_OS_WIN
    return key; // a pipe name, with no folder and no length to mind
#else
    // A socket's path must fit the address's few bytes, which a long TMPDIR alone can exceed. The user's
    // runtime folder is short, private and meant for this; the temporary folder and /tmp serve where
    // there is none or it is not usable. The name carries the user, so a shared /tmp is no clash.
    constexpr qsizetype limit = qsizetype(sizeof(sockaddr_un{}.sun_path)) - 1;
    QStringList folders;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        folders << runtime;
    folders << QDir::tempPath() << QStringLiteral("/tmp");
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(key);
        const QFileInfo info(folder);
        if (info.isAbsolute() && info.isDir() && info.isWritable() && QFile::encodeName(path).size() <= limit)
            return path;
    }
    return QDir(QStringLiteral("/tmp")).filePath(key);
#endif
}

SingleInstance::SingleInstance(const QString& key, std::chrono::milliseconds patience, QObject* parent)
    : QObject(parent), key_(key), socket_(instancesocket(key)), patience_(patience) {
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::serve);
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Role SingleInstance::claim() {
    lock_ = std::make_unique<QLockFile>(QDir(QDir::tempPath()).filePath(key_ + QStringLiteral(".lock")));
    // Only a dead owner makes a lock stale, never its age: a live instance holds it for days.
    lock_->setStaleLockTime(0);
    const QDeadlineTimer deadline(patience_);
    for (;;) {
        if (lock_->tryLock(0)) {
            QLocalServer::removeServer(socket_);
            server_.setSocketOptions(QLocalServer::UserAccessOption);
            if (!server_.listen(socket_)) {
                listenfailure_ = server_.errorString() + QStringLiteral(" (") + socket_ + QChar(u')');
                qWarning("pinlet: later starts cannot reach this one: %s", qPrintable(listenfailure_));
            }
            return Role::First;
        }
        if (lock_->error() != QLockFile::LockFailedError) {
            qWarning("pinlet: cannot lock %s; running without the one-instance guard",
                     qPrintable(lock_->fileName()));
            return Role::First;
        }
        // The owner may still be starting (locked, not yet listening) or may have just ended: ask again,
        // and try the lock again, until the patience runs out.
        if (askowner())
            return Role::Second;
        if (deadline.hasExpired())
            return Role::Unreachable;
        QThread::msleep(100);
    }
}

bool SingleInstance::askowner() {
#ifdef Q_OS_WIN
    // The owner may only take the foreground if this process, which the user just started, allows it.
    AllowSetForegroundWindow(ASFW_ANY);
#endif
    QLocalSocket socket;
    socket.connectToServer(socket_);
    if (!socket.waitForConnected(1000))
        return false;
    socket.write(request_.join(QLatin1Char(' ')).toLatin1() + '\n');
    if (!socket.waitForBytesWritten(1000))
        return false;
    const QDeadlineTimer answered((std::min)(patience_, std::chrono::milliseconds(5000)));
    while (!socket.canReadLine()) {
        if (answered.hasExpired() || !socket.waitForReadyRead(int(answered.remainingTime())))
            return false;
    }
    return socket.readLine() == kAnswer;
}

void SingleInstance::serve() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                // A peer that sends no line end is not one of ours; do not buffer it without bound.
                if (socket->bytesAvailable() > kLongestRequest)
                    socket->abort();
                return;
            }
            const QStringList commands = requestcommands(socket->readLine(kLongestRequest + 1));
            if (!commands.isEmpty())
                socket->write(kAnswer);
            socket->disconnectFromServer();
            if (commands.isEmpty())
                return;
            emit requested(commands);
            if (commands.contains(QStringLiteral("show")))
                emit activationRequested();
        });
    }
}

} // namespace pinlet
