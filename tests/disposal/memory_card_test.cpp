// Sorting straight from a camera's card. What a card refuses is checked on the disk under a card's
// rules, so that it runs everywhere.

#include "resources/disposal_strings.h"
#include "support/disposal_sandbox.h"

#include <cerrno>
#include <deque>
#include <fcntl.h>
#include <gtest/gtest.h>
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

QStringList NamesIn(const FilePath& folder) {
    return QDir(QFile::decodeName(QByteArray::fromStdString(folder)))
        .entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
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
    EXPECT_EQ(NamesIn(box.To()), QStringList({"dot", "IMG_0001.JPG"}));

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

} // namespace
