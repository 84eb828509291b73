#pragma once

#include "app/command_line.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <optional>

class QLocalServer;
class QLocalSocket;

namespace pelldrake {

// One board per user and settings file: the first start listens on a local socket in the
// user's runtime folder, and a later start hands its command line over that socket and ends,
// so that two boards never write one settings file.
class InstanceChannel : public QObject {
    Q_OBJECT

public:
    enum class Start {
        HandedOver, // a running board took the command line: this start ends
        Listening,  // this start runs the board and takes later starts' command lines
        Alone,      // neither: this start runs a board of its own
    };

    // The socket for this user and settings file in runtimeFolder, or in the user's runtime
    // folder when that is empty.
    static QString SocketPath(const QString& settingsPath, const QString& runtimeFolder = {});

    explicit InstanceChannel(QString socketPath, QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Hands commandLine to the board that listens on the socket; when none does, listens from
    // now on, in place of a socket that a killed program left behind.
    Start Open(const CommandLine& commandLine);

    const QString& socketPath() const { return path_; }

signals:
    // A later start's files, folders and work-state file.
    void commandLineArrived(const pelldrake::CommandLine& commandLine);

private:
    void Accept();
    void Read(QLocalSocket* socket);

    QString path_;
    QLocalServer* server_ = nullptr;
};

// The message one start sends to the other, and its reading: nullopt for anything else.
QByteArray EncodeHandOver(const CommandLine& commandLine);
std::optional<CommandLine> DecodeHandOver(const QByteArray& message);

} // namespace pelldrake
