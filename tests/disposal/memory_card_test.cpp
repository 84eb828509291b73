// Sorting straight from a camera's card: real vfat and exFAT images, loop-mounted where the
// machine lets a test mount (root, a loop device, mkfs and the kernel's driver), skipped where not.
// What a card refuses is also checked on the disk under a card's rules, so that it runs everywhere.

#include "disposal/delete_list_files.h"
#include "disposal/disposal_undo.h"
#include "disposal/file_transfer.h"
#include "resources/disposal_strings.h"
#include "support/disposal_sandbox.h"
#include "support/loop_mount.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <deque>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pelldrake;
using namespace pelldrake::testing;

namespace {

constexpr std::int64_t kFourGiB = std::int64_t{4} << 30;

// As text gtest can show.
std::string CopyFailed(const FilePath& source, const FilePath& target) {
    return QString::asprintf(strings::kCopyFailedQuestion, source.c_str(), target.c_str()).toStdString();
}

std::string Asked(const DisposalSandbox& box, std::size_t i) {
    return box.prompter.questions.at(i).text.toStdString();
}

using Names = std::vector<std::string>;

Names NamesIn(const FilePath& folder) {
    Names names;
    for (const QString& name : QDir(QFile::decodeName(QByteArray::fromStdString(folder)))
                                   .entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase))
        names.push_back(name.toStdString());
    return names;
}

bool Holds(const Names& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

void WriteNative(const FilePath& path, const QByteArray& content) {
    std::ofstream(path, std::ios::binary).write(content.constData(), content.size());
}

// A file of the size that holds no byte on the disk.
FilePath Sparse(const DisposalSandbox& box, const QString& name, std::int64_t size) {
    const FilePath path = box.dir.Native(name);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    EXPECT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
    return path;
}

void Dispose(DisposalSandbox& box, ListIndex list, const FilePathList& files, const FilePath& folder,
             std::deque<PromptAnswer> answers = {}, DisposalRecord* record = nullptr, bool keepSource = false) {
    for (const FilePath& file : files)
        box.board.List(list).Append(file);
    box.prompter.answers = std::move(answers);
    box.Run(list, folder, keepSource, nullptr, record);
}

TEST(MemoryCard, WhatACardCannotHoldFailsAsACopyBeforeAByteIsWritten) {
    DisposalSandbox box(0);
    box.fileSystem.volume = VolumeKind::Fat;
    const FilePathList refused{box.dir.Write(QStringLiteral("from/a:b.jpg"), "colon"),
                               box.dir.Write(QStringLiteral("from/why?.jpg"), "question mark"),
                               box.dir.Write(QStringLiteral("from/dot."), "trailing dot"),
                               Sparse(box, QStringLiteral("from/big.mov"), kFourGiB)};
    const FilePath fine = box.dir.Write(QStringLiteral("from/IMG_0001.JPG"), "fine");
    box.dir.Write(QStringLiteral("to/dot"), "what the dot would have replaced");
    FilePathList all = refused;
    all.push_back(fine);
    Dispose(box, 3, all, box.To(), {PromptAnswer::Yes, PromptAnswer::No, PromptAnswer::No, PromptAnswer::No});

    ASSERT_EQ(box.prompter.questions.size(), 4u) << "one copy failure each, and no question to overwrite";
    for (std::size_t i = 0; i < refused.size(); ++i) {
        const FilePath name = refused[i].substr(refused[i].rfind('/') + 1);
        EXPECT_EQ(Asked(box, i), CopyFailed(refused[i], box.To() + "/" + name));
        EXPECT_EQ(box.prompter.questions[i].buttons, PromptButtons::YesNo);
        EXPECT_EQ(box.prompter.questions[i].icon, PromptIcon::Stop);
        EXPECT_TRUE(box.fileSystem.Status(refused[i])) << name;
    }
    EXPECT_EQ(box.fileSystem.copies, 0) << "nothing was written for them";
    EXPECT_EQ(box.board.List(kUnclassified).Entries(), FilePathList{refused[0]});
    EXPECT_EQ(NamesIn(box.To()), Names({"dot", "IMG_0001.JPG"}));

    // The rules of each kind at their edges; the disk's own file systems keep none of them.
    EXPECT_EQ(RefusedOn(VolumeKind::Fat, "last.mov", kFourGiB - 1), 0);
    EXPECT_EQ(RefusedOn(VolumeKind::Fat, "big.mov", kFourGiB), EFBIG);
    EXPECT_EQ(RefusedOn(VolumeKind::ExFat, "big.mov", kFourGiB * 4), 0);
    EXPECT_EQ(RefusedOn(VolumeKind::ExFat, "space ", 1), EINVAL);
    EXPECT_EQ(RefusedOn(VolumeKind::ExFat, "tab\t.jpg", 1), EINVAL);
    EXPECT_EQ(RefusedOn(VolumeKind::ExFat, "写真 1.jpg", 1), 0);
    EXPECT_EQ(RefusedOn(VolumeKind::Other, "a:b?<>|\"*\\.", kFourGiB * 4), 0);
    EXPECT_EQ(VolumeKindOf(box.To()), VolumeKind::Other);
}

struct CardKind {
    const char* name;
    QStringList mkfsArguments;
    const char* options;
    bool fat32;
};

void PrintTo(const CardKind& kind, std::ostream* out) {
    *out << kind.name;
}

class MemoryCardRoad : public ::testing::TestWithParam<CardKind> {
protected:
    void SetUp() override {
        hadDataHome_ = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        dataHome_ = qgetenv("XDG_DATA_HOME");
        // Whatever goes to a trash on the disk stays out of the user's own.
        qputenv("XDG_DATA_HOME", QFile::encodeName(box.dir.FilePath(QStringLiteral("data"))));
        box.fileSystem.trashFolder.clear(); // the desktop's trash: on the card, the one at its top
    }
    void TearDown() override {
        if (hadDataHome_)
            qputenv("XDG_DATA_HOME", dataHome_);
        else
            qunsetenv("XDG_DATA_HOME");
    }

    DisposalSandbox box{3};

private:
    bool hadDataHome_ = false;
    QByteArray dataHome_;
};

TEST_P(MemoryCardRoad, DisposalTrashUndoAndACutCopyOnTheCard) {
    const CardKind& kind = GetParam();
    const LoopMount card(QString::fromLatin1(kind.name), 40, kind.mkfsArguments, QString::fromLatin1(kind.options));
    if (!card.mounted())
        GTEST_SKIP() << card.why().toStdString();
    const FilePath dcim = card.top() + "/DCIM";
    ASSERT_EQ(::mkdir(dcim.c_str(), 0777), 0);
    const Names three{"f1.jpg", "f2.jpg", "f3.jpg"};

    // Onto the card and back by undo, across file systems both ways.
    DisposalRecord moved;
    Dispose(box, 3, {}, dcim, {}, &moved);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(DisposalSandbox::ReadNative(dcim + "/f" + std::to_string(i + 1) + ".jpg"), box.contents[i]);
    EXPECT_EQ(box.Places(), QStringList(3, QStringLiteral("none")));
    DisposalUndo(box.fileSystem, box.prompter, moved).Undo({});
    EXPECT_EQ(box.Places(), QStringList(3, QStringLiteral("from")));
    EXPECT_TRUE(NamesIn(dcim).empty());

    // Files deleted on the card go to the trash at its top, under their path below it, and back.
    Dispose(box, 3, box.sources, dcim, {}, nullptr, true);
    for (const std::string& name : three)
        box.board.List(4).Append(dcim + "/" + name);
    DisposalRecord trashed;
    EXPECT_TRUE(DeleteListFiles(box.board, box.fileSystem, 4, &trashed).empty());
    const FilePath trash = card.top() + "/.Trash-" + std::to_string(::getuid());
    EXPECT_EQ(NamesIn(trash + "/files"), three);
    EXPECT_TRUE(DisposalSandbox::ReadNative(trash + "/info/f1.jpg.trashinfo").contains("\nPath=DCIM/f1.jpg\n"));
    EXPECT_TRUE(NamesIn(dcim).empty());
    DisposalUndo(box.fileSystem, box.prompter, trashed).Undo({});
    EXPECT_EQ(NamesIn(dcim), three);
    EXPECT_TRUE(NamesIn(trash + "/files").empty() && NamesIn(trash + "/info").empty());

    // Names the card refuses fail as copies, each with its question, and nothing lands.
    const FilePathList refused{box.dir.Write(QStringLiteral("from/a:b.jpg"), "colon"),
                               box.dir.Write(QStringLiteral("from/why?.jpg"), "question mark"),
                               box.dir.Write(QStringLiteral("from/f1.jpg."), "trailing dot")};
    std::size_t asked = box.prompter.questions.size();
    Dispose(box, 5, refused, dcim, {PromptAnswer::Yes, PromptAnswer::No, PromptAnswer::No});
    ASSERT_EQ(box.prompter.questions.size(), asked + 3);
    for (std::size_t i = 0; i < refused.size(); ++i)
        EXPECT_EQ(Asked(box, asked + i), CopyFailed(refused[i], dcim + refused[i].substr(refused[i].rfind('/'))));
    EXPECT_EQ(box.board.List(kUnclassified).Entries(), FilePathList{refused[0]});
    EXPECT_EQ(NamesIn(dcim), three);
    EXPECT_EQ(DisposalSandbox::ReadNative(dcim + "/f1.jpg"), box.contents[0]);

    // Two spellings of one name meet as an overwrite question, and the older file is kept.
    WriteNative(dcim + "/img_1.jpg", "on the card");
    const FilePath upper = box.dir.Write(QStringLiteral("from/IMG_1.JPG"), "from the disk");
    asked = box.prompter.questions.size();
    Dispose(box, 6, {upper}, dcim, {PromptAnswer::No});
    ASSERT_EQ(box.prompter.questions.size(), asked + 1);
    EXPECT_EQ(
        Asked(box, asked),
        QString::asprintf(strings::kOverwriteQuestion, upper.c_str(), (dcim + "/img_1.jpg").c_str()).toStdString());
    EXPECT_EQ(DisposalSandbox::ReadNative(dcim + "/img_1.jpg"), "on the card");
    // Replaced, the card's file keeps its name and is given back under it by undo.
    DisposalRecord replaced;
    Dispose(box, 6, {upper}, dcim, {PromptAnswer::Yes}, &replaced);
    EXPECT_EQ(DisposalSandbox::ReadNative(dcim + "/img_1.jpg"), "from the disk");
    EXPECT_EQ(NamesIn(dcim), Names({"f1.jpg", "f2.jpg", "f3.jpg", "img_1.jpg"}));
    EXPECT_EQ(NamesIn(trash + "/files"), Names{"img_1.jpg"});
    DisposalUndo(box.fileSystem, box.prompter, replaced).Undo({});
    EXPECT_EQ(DisposalSandbox::ReadNative(upper), "from the disk");
    EXPECT_EQ(DisposalSandbox::ReadNative(dcim + "/img_1.jpg"), "on the card");
    EXPECT_EQ(NamesIn(dcim), Names({"f1.jpg", "f2.jpg", "f3.jpg", "img_1.jpg"}));
    // The card's file moved into its own folder, spelled otherwise, is the same file: left alone.
    asked = box.prompter.questions.size();
    Dispose(box, 7, {dcim + "/img_1.jpg"}, card.top() + "/dcim");
    EXPECT_EQ(box.prompter.questions.size(), asked);
    EXPECT_EQ(DisposalSandbox::ReadNative(dcim + "/img_1.jpg"), "on the card");

    // FAT32 holds no file of 4 GiB: told before a byte is written, not after four thousand million.
    if (kind.fat32) {
        const FilePath big = Sparse(box, QStringLiteral("from/clip.mov"), kFourGiB);
        const int copies = box.fileSystem.copies;
        Dispose(box, 8, {big}, dcim, {PromptAnswer::No});
        EXPECT_EQ(Asked(box, box.prompter.questions.size() - 1), CopyFailed(big, dcim + "/clip.mov"));
        EXPECT_EQ(box.fileSystem.copies, copies);
        ::unlink(big.c_str());
    }

    // A card makes no unnamed file, so a copy cut short keeps its temporary name there, until the
    // next disposal into that folder.
    const QByteArray content(3 << 20, 'c');
    const FilePath later = box.dir.Write(QStringLiteral("from/later.jpg"), content);
    const pid_t child = ::fork();
    if (child == 0) {
        box.fileSystem.duringCopy = [] { ::raise(SIGKILL); };
        TransferFile(box.fileSystem, later, dcim + "/later.jpg", false);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    const std::string part = ".pelldrake-" + std::to_string(child) + "-0.part";
    EXPECT_TRUE(Holds(NamesIn(dcim), part));
    Dispose(box, 9, {later}, dcim);
    EXPECT_FALSE(Holds(NamesIn(dcim), part));
    EXPECT_EQ(DisposalSandbox::ReadNative(dcim + "/later.jpg"), content);
}

INSTANTIATE_TEST_SUITE_P(Cards, MemoryCardRoad,
                         ::testing::Values(CardKind{"vfat", {"-F", "32"}, "rw,utf8,shortname=mixed", true},
                                           CardKind{"exfat", {}, "rw", false}),
                         [](const ::testing::TestParamInfo<CardKind>& info) { return std::string(info.param.name); });

} // namespace
