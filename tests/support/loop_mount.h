#pragma once

#include "core/types.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <unistd.h>

namespace pelldrake::testing {

// A small file system image of one kind ("vfat", "exfat") made by its mkfs tool and mounted
// through a loop device on a temporary folder, as a memory card in a reader would be. The object
// unmounts it and detaches the loop device whatever the test did. Mounting needs root, a loop
// device, the mkfs tool and the kernel's driver; without one, mounted() is false and why() says
// what was missing, for the test to skip with.
class LoopMount {
public:
    LoopMount(const QString& kind, int mebibytes, const QStringList& mkfsArguments, const QString& options) {
        if (::geteuid() != 0) {
            why_ = QStringLiteral("mounting a %1 image needs root").arg(kind);
            return;
        }
        const QString mkfs = Tool(QStringLiteral("mkfs.") + kind);
        const QString losetup = Tool(QStringLiteral("losetup"));
        const QString mount = Tool(QStringLiteral("mount"));
        if (mkfs.isEmpty() || losetup.isEmpty() || mount.isEmpty()) {
            why_ = QStringLiteral("mkfs.%1, losetup or mount is missing (scripts/setup.sh installs them)").arg(kind);
            return;
        }
        if (!QFileInfo::exists(QStringLiteral("/dev/loop-control"))) {
            why_ = QStringLiteral("this machine has no loop devices");
            return;
        }
        const QString image = dir_.FilePath(QStringLiteral("card.img"));
        const QString top = dir_.FilePath(QStringLiteral("card"));
        QFile file(image);
        if (!QDir().mkpath(top) || !file.open(QIODevice::WriteOnly) || !file.resize(qint64{mebibytes} << 20)) {
            why_ = QStringLiteral("cannot make the image file");
            return;
        }
        file.close();
        if (!Run(mkfs, mkfsArguments + QStringList{image}))
            return;
        if (!Run(losetup, {QStringLiteral("--find"), QStringLiteral("--show"), image}, &device_))
            return;
        device_ = device_.trimmed();
        if (!Run(mount, {QStringLiteral("-t"), kind, QStringLiteral("-o"), options, device_, top})) {
            why_ = QStringLiteral("the kernel cannot mount %1 here: ").arg(kind) + why_;
            return;
        }
        top_ = QFile::encodeName(top).toStdString();
    }
    ~LoopMount() {
        if (!top_.empty() && !Run(Tool(QStringLiteral("umount")), {QString::fromStdString(top_)}))
            Run(Tool(QStringLiteral("umount")), {QStringLiteral("--lazy"), QString::fromStdString(top_)});
        if (!device_.isEmpty())
            Run(Tool(QStringLiteral("losetup")), {QStringLiteral("--detach"), device_});
    }
    LoopMount(const LoopMount&) = delete;
    LoopMount& operator=(const LoopMount&) = delete;

    bool mounted() const { return !top_.empty(); }
    const QString& why() const { return why_; }
    // The top of the mounted file system, as native bytes.
    const FilePath& top() const { return top_; }

private:
    static QString Tool(const QString& name) {
        const QString found = QStandardPaths::findExecutable(name);
        return found.isEmpty()
                   ? QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")})
                   : found;
    }
    // Runs a tool to its end; on failure why() holds what it said.
    bool Run(const QString& program, const QStringList& arguments, QString* output = nullptr) {
        QProcess process;
        process.start(program, arguments);
        const bool ok =
            process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        if (output)
            *output = QString::fromLocal8Bit(process.readAllStandardOutput());
        if (!ok)
            why_ = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        return ok;
    }

    TempDir dir_; // the image and the mount point; goes last
    QString device_;
    FilePath top_;
    QString why_;
};

} // namespace pelldrake::testing
