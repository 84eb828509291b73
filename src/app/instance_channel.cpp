#include "app/instance_channel.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>
#include <QtEndian>
#include <unistd.h>

namespace pelldrake {

namespace {

constexpr quint32 kMagic = 0x504c4431; // "PLD1"
// A command line of 100,000 long paths fits; a peer that claims more is cut off.
constexpr quint32 kMaxMessageBytes = 64u << 20;
constexpr int kConnectMs = 2000;
// The running board answers from its event loop, which a long copy may hold up for a while.
constexpr int kAnswerMs = 10000;
constexpr int kLockMs = kConnectMs + 2 * kAnswerMs;
constexpr char kTaken = '1';

QList<QByteArray> Bytes(const FilePathList& paths) {
    QList<QByteArray> bytes;
    for (const FilePath& path : paths)
        bytes.append(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
    return bytes;
}

FilePathList Paths(const QList<QByteArray>& bytes) {
    FilePathList paths;
    for (const QByteArray& path : bytes)
        paths.push_back(path.toStdString());
    return paths;
}

bool WriteAll(QLocalSocket& socket, const QByteArray& data) {
    socket.write(data);
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(kAnswerMs))
            return false;
    return true;
}

enum class HandOverResult { Taken, NoBoard, NoAnswer };

HandOverResult HandOver(const QString& path, const CommandLine& commandLine) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kConnectMs))
        return HandOverResult::NoBoard;
    const QByteArray message = EncodeHandOver(commandLine);
    QByteArray frame(4, '\0');
    qToBigEndian(static_cast<quint32>(message.size()), frame.data());
    if (!WriteAll(socket, frame + message))
        return HandOverResult::NoAnswer;
    while (socket.bytesAvailable() < 1)
        if (!socket.waitForReadyRead(kAnswerMs))
            return HandOverResult::NoAnswer;
    return socket.read(1) == QByteArray(1, kTaken) ? HandOverResult::Taken : HandOverResult::NoAnswer;
}

} // namespace

QByteArray EncodeHandOver(const CommandLine& commandLine) {
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kMagic << Bytes(commandLine.workStates) << Bytes(commandLine.intake);
    return message;
}

std::optional<CommandLine> DecodeHandOver(const QByteArray& message) {
    QDataStream in(message);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    QList<QByteArray> workStates, intake;
    in >> magic >> workStates >> intake;
    if (in.status() != QDataStream::Ok || magic != kMagic || !in.atEnd())
        return std::nullopt;
    CommandLine commandLine;
    commandLine.workStates = Paths(workStates);
    commandLine.intake = Paths(intake);
    return commandLine;
}

QString InstanceChannel::SocketPath(const QString& settingsPath, const QString& runtimeFolder) {
    const QString folder =
        runtimeFolder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) : runtimeFolder;
    // A socket path has room for about 100 bytes: the settings path goes in as a short digest.
    const QByteArray digest =
        QCryptographicHash::hash(QDir::cleanPath(QDir(settingsPath).absolutePath()).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    return QDir(folder).filePath(QStringLiteral("pelldrake-%1-%2").arg(getuid()).arg(QString::fromLatin1(digest)));
}

InstanceChannel::InstanceChannel(QString socketPath, QObject* parent) : QObject(parent), path_(std::move(socketPath)) {}

InstanceChannel::~InstanceChannel() = default;

InstanceChannel::Start InstanceChannel::Open(const CommandLine& commandLine) {
    // Two starts at once would both find no board and both listen; the lock lines them up. A
    // lock whose program has gone is taken over.
    QLockFile lock(path_ + QStringLiteral(".lock"));
    lock.tryLock(kLockMs); // past the wait, go on without it: a board is better than none
    switch (HandOver(path_, commandLine)) {
    case HandOverResult::Taken:
        return Start::HandedOver;
    case HandOverResult::NoAnswer:
        // A board that listens but hangs keeps its socket; this start gets a board of its own.
        return Start::Alone;
    case HandOverResult::NoBoard:
        break;
    }
    server_ = new QLocalServer(this);
    // Made aside and renamed into place: a socket a killed program left there is replaced.
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &InstanceChannel::Accept);
    server_->listen(path_);
    if (server_->isListening())
        return Start::Listening;
    delete server_;
    server_ = nullptr;
    return Start::Alone;
}

void InstanceChannel::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
        // A peer that never finishes its message does not hold a connection for ever.
        QTimer::singleShot(2 * kAnswerMs, socket, [socket] { socket->abort(); });
    }
}

void InstanceChannel::Read(QLocalSocket* socket) {
    if (socket->bytesAvailable() < 4)
        return;
    QByteArray head = socket->peek(4);
    const quint32 size = qFromBigEndian<quint32>(head.constData());
    if (size > kMaxMessageBytes) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < 4 + static_cast<qint64>(size))
        return;
    socket->skip(4);
    const std::optional<CommandLine> commandLine = DecodeHandOver(socket->read(size));
    if (!commandLine) {
        socket->abort();
        return;
    }
    socket->write(QByteArray(1, kTaken));
    socket->flush();
    socket->disconnectFromServer();
    emit commandLineArrived(*commandLine);
}

} // namespace pelldrake
