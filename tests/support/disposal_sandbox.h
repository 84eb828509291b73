#pragma once

#include "board/board.h"
#include "disposal/copy_or_move_files.h"
#include "support/faulty_file_system.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace pelldrake::testing {

// Five files of distinct content in "from/", an empty "to/", and list 3 holding the five.
struct DisposalSandbox {
    TempDir dir;
    Board board;
    ScriptedPrompter prompter;
    FaultyFileSystem fileSystem;
    FilePathList sources;
    std::vector<QByteArray> contents;

    explicit DisposalSandbox(int files = 5, ListIndex list = 3) {
        QDir(dir.path()).mkpath(QStringLiteral("from"));
        QDir(dir.path()).mkpath(QStringLiteral("to"));
        QDir(dir.path()).mkpath(QStringLiteral("trash"));
        fileSystem.trashFolder = dir.Native(QStringLiteral("trash"));
        for (int i = 1; i <= files; ++i) {
            QByteArray content(10000 + i * 997, static_cast<char>('a' + i));
            content.prepend(QByteArray::number(i));
            contents.push_back(content);
            sources.push_back(dir.Write(QStringLiteral("from/f%1.jpg").arg(i), content));
            board.List(list).Append(sources.back());
        }
    }

    FilePath To() const { return dir.Native(QStringLiteral("to")); }
    // Byte for byte, also for names that are not UTF-8.
    static QByteArray ReadNative(const FilePath& path) {
        FILE* in = std::fopen(path.c_str(), "rb");
        if (!in)
            return "<missing>";
        QByteArray content;
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
            content.append(buffer, static_cast<qsizetype>(got));
        std::fclose(in);
        return content;
    }
    // Where file i (1-based) is now: "from", "to", "both", "none", or "bad" when a copy under
    // a real name differs from the original.
    QString WhereIs(int i, const QString& target = QStringLiteral("to")) const {
        const QByteArray& original = contents[static_cast<std::size_t>(i - 1)];
        const QString name = QStringLiteral("/f%1.jpg").arg(i);
        const bool atSource = QFileInfo::exists(dir.path() + "/from" + name);
        const bool atTarget = QFileInfo::exists(dir.path() + "/" + target + name);
        if ((atSource && dir.Read("from" + name) != original) || (atTarget && dir.Read(target + name) != original))
            return QStringLiteral("bad");
        return atSource && atTarget ? QStringLiteral("both")
               : atSource           ? QStringLiteral("from")
               : atTarget           ? QStringLiteral("to")
                                    : QStringLiteral("none");
    }
    QStringList Places(const QString& target = QStringLiteral("to")) const {
        QStringList places;
        for (int i = 1; i <= static_cast<int>(contents.size()); ++i)
            places << WhereIs(i, target);
        return places;
    }
    // No temporary file is left in the folder.
    bool NoLeftovers(const QString& folder = QStringLiteral("to")) const {
        return QDir(dir.path() + "/" + folder)
            .entryList({QStringLiteral(".pelldrake-*")}, QDir::Hidden | QDir::Files)
            .isEmpty();
    }

    void Run(ListIndex list, const FilePath& folder, bool keepSource = false, ProgressSink* sink = nullptr,
             DisposalRecord* record = nullptr) {
        DisposalContext context{fileSystem, prompter, sink, record};
        CopyOrMoveFiles(board, context, list, folder, keepSource);
    }
};

} // namespace pelldrake::testing
