#include "core/progress.h"
#include "platform/file_info.h"
#include "support/disposal_sandbox.h"

#include <gtest/gtest.h>

using namespace pelldrake;
using namespace pelldrake::testing;

namespace {

// Keeps what a run says of its progress, as "done/total name", then "end".
struct RecordingSink : ProgressSink {
    void Report(std::size_t done, std::size_t total, std::string_view at) override {
        said.push_back(std::to_string(done) + "/" + std::to_string(total) + " " +
                       FilePath(at).substr(at.rfind('/') + 1));
    }
    void Finish() override { said.push_back("end"); }
    std::vector<std::string> said;
};

const QStringList kAllAtSource{"from", "from", "from", "from", "from"};

TEST(CopyOrMoveFiles, CancelAtTheSecondOverwriteStopsTheRunAndEmptiesTheList) {
    DisposalSandbox box;
    box.dir.Write(QStringLiteral("to/f2.jpg"), "old");
    box.prompter.answers = {PromptAnswer::Cancel};
    RecordingSink progress;
    box.Run(3, box.To(), false, &progress);
    EXPECT_EQ(progress.said, (std::vector<std::string>{"1/5 f1.jpg", "2/5 f2.jpg", "end"}));
    EXPECT_EQ(box.WhereIs(1), "to");
    EXPECT_EQ(box.dir.Read(QStringLiteral("to/f2.jpg")), "old");
    EXPECT_EQ(box.dir.Read(QStringLiteral("from/f2.jpg")), box.contents[1]);
    for (int i = 3; i <= 5; ++i)
        EXPECT_EQ(box.WhereIs(i), "from");
    EXPECT_EQ(box.board.List(3).Count(), 0);
    ASSERT_EQ(box.prompter.questions.size(), 1u);
    EXPECT_EQ(box.prompter.questions[0].buttons, PromptButtons::YesNoCancel);
    EXPECT_TRUE(box.prompter.questions[0].text.endsWith(QString::fromUtf8("上書きしますか？")));
}

TEST(CopyOrMoveFiles, NoAtAnOverwriteSkipsOnlyThatFileAndALinkToNothingIsAskedAboutToo) {
    DisposalSandbox box;
    box.dir.Write(QStringLiteral("to/f2.jpg"), "old");
    ASSERT_TRUE(
        QFile::link(box.dir.FilePath(QStringLiteral("nowhere")), box.dir.FilePath(QStringLiteral("to/f4.jpg"))));
    box.prompter.answers = {PromptAnswer::No, PromptAnswer::No};
    box.Run(3, box.To() + "/");
    EXPECT_EQ(box.dir.Read(QStringLiteral("to/f2.jpg")), "old");
    EXPECT_EQ(box.dir.Read(QStringLiteral("from/f2.jpg")), box.contents[1]);
    EXPECT_EQ(QFileInfo(box.dir.FilePath(QStringLiteral("to/f4.jpg"))).symLinkTarget(),
              box.dir.FilePath(QStringLiteral("nowhere")));
    for (int i : {1, 3, 5})
        EXPECT_EQ(box.WhereIs(i), "to");
    EXPECT_EQ(box.dir.Read(QStringLiteral("from/f4.jpg")), box.contents[3]);
    ASSERT_EQ(box.prompter.questions.size(), 2u);
    EXPECT_TRUE(box.prompter.questions[1].text.contains(QString::fromStdString(box.To() + "/f4.jpg")));
    EXPECT_EQ(box.board.List(3).Count(), 0);
}

TEST(CopyOrMoveFiles, YesReplacesTheTargetAndKeepSourceCopies) {
    DisposalSandbox box;
    box.dir.Write(QStringLiteral("to/f2.jpg"), "old");
    box.prompter.answers = {PromptAnswer::Yes};
    box.Run(3, box.To(), true);
    EXPECT_EQ(box.Places(), QStringList({"both", "both", "both", "both", "both"}));
    EXPECT_TRUE(box.NoLeftovers());
    EXPECT_EQ(box.board.List(3).Count(), 0);
}

TEST(CopyOrMoveFiles, KeepsModificationTimeAndPermissions) {
    DisposalSandbox box(1);
    QFile source(QFile::decodeName(QByteArray::fromStdString(box.sources[0])));
    const QDateTime stamp = QDateTime::fromSecsSinceEpoch(1'000'000'000);
    ASSERT_TRUE(source.open(QIODevice::ReadWrite));
    ASSERT_TRUE(source.setFileTime(stamp, QFileDevice::FileModificationTime));
    source.close();
    source.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    box.Run(3, box.To(), true);
    const QFileInfo copy(box.dir.FilePath(QStringLiteral("to/f1.jpg")));
    EXPECT_EQ(copy.lastModified(), stamp);
    EXPECT_EQ(copy.permissions() & 0x0fff, source.permissions() & 0x0fff);
}

TEST(CopyOrMoveFiles, TheSameFolderUnderAnySpellingLeavesEveryFileAlone) {
    DisposalSandbox box;
    QFile::link(box.dir.FilePath(QStringLiteral("from")), box.dir.FilePath(QStringLiteral("link")));
    const FilePath root = QFile::encodeName(box.dir.path()).toStdString();
    box.board.List(3).Clear();
    for (const FilePath& folder : {root + "/from", root + "/./from/", root + "//from", root + "/link"}) {
        for (const FilePath& source : box.sources)
            box.board.List(3).Append(source);
        box.Run(3, folder);
        EXPECT_EQ(box.Places(), kAllAtSource) << folder;
        EXPECT_EQ(box.board.List(3).Count(), 0);
    }
    // A hard link of the file at the target is the file itself.
    ASSERT_EQ(::link(box.sources[0].c_str(), (box.To() + "/f1.jpg").c_str()), 0);
    box.board.List(3).Append(box.sources[0]);
    box.Run(3, box.To());
    EXPECT_EQ(box.WhereIs(1), "both");
    EXPECT_TRUE(box.prompter.questions.empty());
}

TEST(CopyOrMoveFiles, MissingSourceIsReportedAndTwoFilesOfOneNameAskBeforeOverwriting) {
    DisposalSandbox box(2);
    QFile::remove(box.dir.FilePath(QStringLiteral("from/f1.jpg")));
    QDir(box.dir.path()).mkpath(QStringLiteral("other"));
    box.board.List(3).Append(box.dir.Write(QStringLiteral("other/f2.jpg"), "second"));
    box.prompter.answers = {PromptAnswer::Ok, PromptAnswer::No};
    box.Run(3, box.To());
    ASSERT_EQ(box.prompter.questions.size(), 2u);
    EXPECT_EQ(box.prompter.questions[0].text,
              QString::fromUtf8("コピー元 %1はPelldrake作業中に移動したか削除されています。")
                  .arg(QString::fromStdString(box.sources[0])));
    EXPECT_EQ(box.prompter.questions[0].icon, PromptIcon::Stop);
    EXPECT_EQ(box.dir.Read(QStringLiteral("to/f2.jpg")), box.contents[1]);
    EXPECT_EQ(box.dir.Read(QStringLiteral("other/f2.jpg")), "second");
}

TEST(CopyOrMoveFiles, FailedCopyAnsweredYesReturnsTheFileToTheUnclassifiedList) {
    DisposalSandbox box(5, 5);
    box.fileSystem.folderErrors[box.To()] = EACCES;
    box.board.List(kUnclassified).Append("/elsewhere/x.jpg");
    box.prompter.answers = {PromptAnswer::No, PromptAnswer::Yes, PromptAnswer::No, PromptAnswer::Yes, PromptAnswer::No};
    // Each file answered Yes is back, as the current entry, before the next file is asked about.
    std::vector<std::pair<int, int>> unclassifiedWhileAsked;
    box.prompter.whileAsking = [&] {
        const ClassList& unclassified = box.board.List(kUnclassified);
        unclassifiedWhileAsked.emplace_back(unclassified.Count(), unclassified.position());
    };
    box.Run(5, box.To());
    EXPECT_EQ(unclassifiedWhileAsked, (std::vector<std::pair<int, int>>{{1, 0}, {1, 0}, {2, 1}, {2, 1}, {3, 2}}));
    EXPECT_EQ(box.board.List(kUnclassified).Entries(),
              FilePathList({"/elsewhere/x.jpg", box.sources[1], box.sources[3]}));
    // Back with the file it names: another spelling of it is still a duplicate.
    EXPECT_EQ(box.board.List(kUnclassified).IdentityAt(2), StatPath(box.sources[3])->identity());
    EXPECT_EQ(box.board.List(kUnclassified).position(), 2);
    EXPECT_EQ(box.board.List(5).Count(), 0);
    EXPECT_EQ(box.Places(), kAllAtSource);
    EXPECT_EQ(box.prompter.questions[0].icon, PromptIcon::Stop);
    EXPECT_TRUE(box.prompter.questions[0].text.endsWith(QString::fromUtf8("未整理リストに戻しますか？")));
}

TEST(CopyOrMoveFiles, DisposingOfTheUnclassifiedListHoldsReturnedFilesBackUntilTheEnd) {
    DisposalSandbox box(5, kUnclassified);
    box.fileSystem.folderErrors[box.To()] = EACCES;
    box.prompter.answers = {PromptAnswer::Yes, PromptAnswer::No, PromptAnswer::Yes, PromptAnswer::No, PromptAnswer::No};
    box.Run(kUnclassified, box.To());
    EXPECT_EQ(box.prompter.questions.size(), 5u); // each file handled once
    EXPECT_EQ(box.board.List(kUnclassified).Entries(), FilePathList({box.sources[0], box.sources[2]}));
    EXPECT_EQ(box.board.List(kUnclassified).position(), 1);
}

} // namespace
