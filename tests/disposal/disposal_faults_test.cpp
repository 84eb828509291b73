// Faults injected under a disposal. After every run each file must sit intact at its source or
// intact at its target, never neither, and no partial copy may stand under a real name or be
// left behind under a temporary one.

#include "disposal/delete_list_files.h"
#include "support/disposal_sandbox.h"

#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
    DisposalContext context{box.board, disk, box.prompter};
    CopyOrMoveFiles(context, 3, small, false);
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

TEST(DisposalFaults, TrashUnavailableLeavesTheFilesAndNamesThem) {
    DisposalSandbox box;
    box.fileSystem.trashAvailable = false;
    const FilePathList stayed = DeleteListFiles(box.board, box.fileSystem, 3);
    EXPECT_EQ(stayed, box.sources);
    EXPECT_EQ(box.Places(), QStringList({"from", "from", "from", "from", "from"}));
    EXPECT_EQ(box.board.List(3).Count(), 0);
    EXPECT_TRUE(TrashFailureMessage(stayed).contains(QString::fromStdString(box.sources[4])));
}

} // namespace
