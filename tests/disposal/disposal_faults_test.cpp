// Faults injected under a disposal. After every run each file must sit intact at its source or
// intact at its target, never neither, and no partial copy may stand under a real name or be
// left behind under a temporary one.

#include "disposal/delete_list_files.h"
#include "support/disposal_sandbox.h"

#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pelldrake;
using namespace pelldrake::testing;

namespace {

TEST(DisposalFaults, DiskFullFromTheThirdFileLeavesItAndTheRestAtTheirSources) {
    DisposalSandbox box;
    box.fileSystem.crossDevice = true; // a rename would not write anything
    box.fileSystem.diskFullFromCopy = 3;
    box.prompter.answers = {PromptAnswer::No, PromptAnswer::No, PromptAnswer::No};
    box.Run(3, box.To());
    EXPECT_EQ(box.Places(), QStringList({"to", "to", "from", "from", "from"}));
    EXPECT_TRUE(box.NoLeftovers());
    EXPECT_EQ(box.prompter.questions.size(), 3u);
}

// Needs a real full disk: PELLDRAKE_SMALL_FS names an empty folder on a file system of 32 KB
// (as root: mount -t tmpfs -o size=32k tmpfs /mnt/small). The five files need 72 KB.
TEST(DisposalFaults, DiskFullOnARealSmallFileSystem) {
    const FilePath small = qgetenv("PELLDRAKE_SMALL_FS").toStdString();
    if (small.empty())
        GTEST_SKIP() << "PELLDRAKE_SMALL_FS is not set";
    DisposalSandbox box;
    box.prompter.answers.assign(5, PromptAnswer::No);
    PosixFileSystem disk;
    DisposalContext context{disk, box.prompter};
    CopyOrMoveFiles(box.board, context, 3, small, false);
    int moved = 0;
    for (std::size_t i = 0; i < box.sources.size(); ++i) {
        const FilePath target = small + "/f" + std::to_string(i + 1) + ".jpg";
        const bool atTarget = disk.Status(target).has_value();
        EXPECT_EQ(DisposalSandbox::ReadNative(atTarget ? target : box.sources[i]), box.contents[i]) << i;
        EXPECT_NE(atTarget, disk.Status(box.sources[i]).has_value()) << i;
        moved += atTarget ? 1 : 0;
        ::unlink(target.c_str());
    }
    EXPECT_GT(moved, 0);
    EXPECT_LT(moved, 5);
    EXPECT_EQ(box.prompter.questions.size(), static_cast<std::size_t>(5 - moved)); // one per failed file
    EXPECT_TRUE(QDir(QString::fromStdString(small)).entryList(QDir::Hidden | QDir::Files).isEmpty());
}

TEST(DisposalFaults, DiskFullWhileReplacingATargetKeepsTheOldTarget) {
    DisposalSandbox box(1);
    box.dir.Write(QStringLiteral("to/f1.jpg"), "old target");
    box.fileSystem.diskFullFromCopy = 1;
    box.prompter.answers = {PromptAnswer::Yes, PromptAnswer::No};
    box.Run(3, box.To(), true);
    EXPECT_EQ(box.dir.Read(QStringLiteral("to/f1.jpg")), "old target");
    EXPECT_EQ(box.dir.Read(QStringLiteral("from/f1.jpg")), box.contents[0]);
    EXPECT_TRUE(box.NoLeftovers());

    // Nor does a trash that refuses the older file let the new one take its place.
    box.fileSystem.diskFullFromCopy = 0;
    box.fileSystem.trashRefuses = {box.To() + "/f1.jpg"};
    box.board.List(3).Append(box.sources[0]);
    box.prompter.answers = {PromptAnswer::Yes, PromptAnswer::No};
    box.Run(3, box.To());
    EXPECT_EQ(box.dir.Read(QStringLiteral("to/f1.jpg")), "old target");
    EXPECT_EQ(box.dir.Read(QStringLiteral("from/f1.jpg")), box.contents[0]);
    EXPECT_EQ(box.prompter.questions.size(), 4u); // asked, then told the copy failed
}

TEST(DisposalFaults, ACopyThatComesBackShortIsNotTakenForTheFile) {
    DisposalSandbox box(2);
    box.fileSystem.crossDevice = true;
    box.fileSystem.shortCopy = true;
    box.prompter.answers = {PromptAnswer::No, PromptAnswer::No};
    box.Run(3, box.To());
    EXPECT_EQ(box.Places(), QStringList({"from", "from"}));
    EXPECT_TRUE(box.NoLeftovers());
}

TEST(DisposalFaults, PermissionDeniedOnTheTargetFolderLeavesEveryFile) {
    DisposalSandbox box;
    box.fileSystem.folderErrors[box.To()] = EACCES;
    box.prompter.answers.assign(5, PromptAnswer::No);
    box.Run(3, box.To());
    EXPECT_EQ(box.Places(), QStringList({"from", "from", "from", "from", "from"}));
    EXPECT_EQ(box.prompter.questions.size(), 5u);
}

TEST(DisposalFaults, ASourceDeletedBetweenTheScanAndTheCopyLeavesNoEmptyTarget) {
    DisposalSandbox box;
    box.fileSystem.beforeTransfer = [&](const FilePath& source, const FilePath&) {
        if (source == box.sources[1])
            ::unlink(source.c_str());
    };
    box.prompter.answers = {PromptAnswer::No};
    box.Run(3, box.To());
    EXPECT_EQ(box.Places(), QStringList({"to", "none", "to", "to", "to"})); // the second was deleted by another
    EXPECT_TRUE(box.NoLeftovers());
    EXPECT_EQ(box.prompter.questions.size(), 1u);
}

TEST(DisposalFaults, TheTargetFolderRemovedMidRunStopsTheLaterFilesAtTheirSources) {
    DisposalSandbox box;
    box.fileSystem.beforeTransfer = [&](const FilePath& source, const FilePath&) {
        if (source == box.sources[2])
            QDir(box.dir.path()).rename(QStringLiteral("to"), QStringLiteral("gone"));
    };
    box.prompter.answers.assign(3, PromptAnswer::No);
    box.Run(3, box.To());
    EXPECT_EQ(box.Places(QStringLiteral("gone")), QStringList({"to", "to", "from", "from", "from"}));
    EXPECT_TRUE(box.NoLeftovers(QStringLiteral("gone")));
}

TEST(DisposalFaults, AMoveAcrossFileSystemsCopiesThenDeletes) {
    // /dev/shm is a memory file system on Linux, apart from the temporary folder's disk.
    QTemporaryDir other(QStringLiteral("/dev/shm/pelldrake-XXXXXX"));
    DisposalSandbox box;
    struct stat here {
    }, there{};
    const bool twoDevices = other.isValid() && ::stat(box.To().c_str(), &here) == 0 &&
                            ::stat(QFile::encodeName(other.path()).constData(), &there) == 0 &&
                            here.st_dev != there.st_dev;
    box.fileSystem.crossDevice = !twoDevices;
    const FilePath target = twoDevices ? QFile::encodeName(other.path()).toStdString() : box.To();
    box.Run(3, target);
    for (int i = 1; i <= 5; ++i) {
        QFile moved(QFile::decodeName(QByteArray::fromStdString(target)) + QStringLiteral("/f%1.jpg").arg(i));
        ASSERT_TRUE(moved.open(QIODevice::ReadOnly)) << i;
        EXPECT_EQ(moved.readAll(), box.contents[static_cast<std::size_t>(i - 1)]);
        EXPECT_EQ(box.WhereIs(i), twoDevices ? "none" : "to"); // "none" here: it lies on the other disk
    }
    EXPECT_TRUE(box.prompter.questions.empty());
}

TEST(DisposalFaults, ANameThatIsNotUtf8MovesByteForByte) {
    DisposalSandbox box(0);
    const FilePath source = box.dir.Native(QStringLiteral("from")) + "/\xff\xfe\x81.jpg";
    FILE* out = std::fopen(source.c_str(), "wb");
    ASSERT_TRUE(out);
    std::fputs("raw name", out);
    std::fclose(out);
    box.board.List(3).Append(source);
    box.fileSystem.crossDevice = true;
    box.Run(3, box.To());
    const FilePath target = box.To() + "/\xff\xfe\x81.jpg";
    EXPECT_EQ(box.ReadNative(target), "raw name");
    EXPECT_FALSE(box.fileSystem.Status(source));
    ::unlink(target.c_str()); // a name Qt cannot spell, so its temporary folder cannot remove it
}

TEST(DisposalFaults, TrashUnavailableLeavesTheFilesAndTheirEntriesAndNamesThem) {
    DisposalSandbox box;
    box.fileSystem.trashAvailable = false;
    const FilePathList stayed = DeleteListFiles(box.board, box.fileSystem, 3);
    EXPECT_EQ(stayed, box.sources);
    EXPECT_EQ(box.Places(), QStringList({"from", "from", "from", "from", "from"}));
    EXPECT_EQ(box.board.List(3).Entries(), box.sources);
    EXPECT_TRUE(TrashFailureMessage(stayed).contains(QString::fromStdString(box.sources[4])));

    // Refused files keep their entries; trashed ones and ones gone meanwhile leave the list.
    box.fileSystem.trashAvailable = true;
    box.fileSystem.trashRefuses = {box.sources[1], box.sources[3]};
    ::unlink(box.sources[2].c_str());
    EXPECT_EQ(DeleteListFiles(box.board, box.fileSystem, 3), FilePathList({box.sources[1], box.sources[3]}));
    EXPECT_EQ(box.board.List(3).Entries(), FilePathList({box.sources[1], box.sources[3]}));
    EXPECT_EQ(box.Places(), QStringList({"none", "from", "none", "from", "none"}));
}

TEST(DisposalFaults, AMoveOutOfAFolderThatKeepsItsFilesSaysSoOnceAtTheEnd) {
    DisposalSandbox box(22);
    box.fileSystem.removeErrors[box.dir.Native(QStringLiteral("from"))] = EACCES;
    box.Run(3, box.To());
    for (int i = 1; i <= 22; ++i)
        EXPECT_EQ(box.WhereIs(i), "both") << i;
    EXPECT_EQ(box.board.List(3).Count(), 0);
    ASSERT_EQ(box.prompter.questions.size(), 1u);
    QStringList names;
    for (int i = 0; i < 20; ++i)
        names << QString::fromStdString(box.sources[static_cast<std::size_t>(i)]);
    EXPECT_EQ(box.prompter.questions[0].text,
              QString::fromUtf8("移動元から削除できなかったファイルがあります（コピーは作成されました）。\r\n") +
                  names.join(QStringLiteral("\r\n")) + QString::fromUtf8("\r\nほか 2 個のファイル"));
    EXPECT_EQ(box.prompter.questions[0].buttons, PromptButtons::Ok);
    EXPECT_EQ(box.prompter.questions[0].icon, PromptIcon::Exclamation);
}

TEST(DisposalFaults, ACopyCutShortLeavesNoNameAndStaleCopiesOfGoneProcessesAreRemoved) {
    DisposalSandbox box(2);
    box.fileSystem.crossDevice = true;
    // A process that has ended, this one, and one that runs (init).
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const QString stale = QStringLiteral("to/.pelldrake-%1-0.part").arg(child);
    const QString own = QStringLiteral("to/.pelldrake-%1-7.part").arg(::getpid());
    for (const QString& name :
         {stale, own, QStringLiteral("to/.pelldrake-1-0.part"), QStringLiteral("to/.pelldrake-notes.part")})
        box.dir.Write(name, "part");
    // While the bytes are copied, no name stands for them yet.
    const QString temporary = QStringLiteral("to/.pelldrake-%1-0.part").arg(::getpid());
    bool namedWhileCopying = false;
    int calls = 0;
    box.fileSystem.duringCopy = [&] {
        ++calls;
        namedWhileCopying |= QFileInfo::exists(box.dir.FilePath(temporary));
    };
    box.Run(3, box.To());
    EXPECT_FALSE(namedWhileCopying);
    EXPECT_GE(calls, 2); // during each copy
    EXPECT_EQ(box.Places(), QStringList({"to", "to"}));
    EXPECT_FALSE(QFileInfo::exists(box.dir.FilePath(stale)));
    for (const QString& name :
         {own, QStringLiteral("to/.pelldrake-1-0.part"), QStringLiteral("to/.pelldrake-notes.part")})
        EXPECT_EQ(box.dir.Read(name), "part") << name.toStdString();
}

} // namespace
