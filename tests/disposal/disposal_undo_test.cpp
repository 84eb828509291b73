#include "disposal/delete_list_files.h"
#include "disposal/disposal_undo.h"
#include "support/disposal_sandbox.h"

#include <gtest/gtest.h>

using namespace pelldrake;
using namespace pelldrake::testing;

namespace {

QStringList AllAt(const char* place) {
    return QStringList(5, QString::fromLatin1(place));
}

TEST(DisposalUndo, AMoveGoesBackWithTheFileItReplacedAlsoAcrossFileSystemsAndRedoMovesItAgain) {
    DisposalSandbox box;
    box.dir.Write(QStringLiteral("to/f2.jpg"), "old");
    box.prompter.answers = {PromptAnswer::Yes};
    DisposalRecord record;
    box.Run(3, box.To(), false, nullptr, &record);
    EXPECT_EQ(box.Places(), AllAt("to"));
    EXPECT_EQ(box.dir.Read(QStringLiteral("trash/f2.jpg")), "old") << "the replaced file is kept in the trash";

    DisposalUndo undo(box.fileSystem, box.prompter, record);
    const int renames = box.fileSystem.renames;
    const QStringList back{"from", "bad", "from", "from", "from"}; // "bad": the old f2 is in to/ again
    undo.Undo();
    EXPECT_EQ(box.Places(), back);
    EXPECT_EQ(box.dir.Read(QStringLiteral("from/f2.jpg")), box.contents[1]);
    EXPECT_EQ(box.dir.Read(QStringLiteral("to/f2.jpg")), "old");
    EXPECT_EQ(box.fileSystem.copies, 0) << "on one file system nothing is copied back";
    EXPECT_EQ(box.fileSystem.renames - renames, 5);
    EXPECT_TRUE(undo.leftBehind().empty());

    undo.Redo();
    EXPECT_EQ(box.Places(), AllAt("to"));
    box.fileSystem.crossDevice = true;
    undo.Undo();
    EXPECT_EQ(box.Places(), back);
    EXPECT_EQ(box.dir.Read(QStringLiteral("to/f2.jpg")), "old");
    EXPECT_TRUE(box.NoLeftovers() && box.NoLeftovers(QStringLiteral("from")));
    EXPECT_EQ(box.prompter.questions.size(), 1u);
}

TEST(DisposalUndo, CopiesGoToTheTrashAndTrashedFilesComeBack) {
    DisposalSandbox box;
    DisposalRecord copies;
    box.Run(3, box.To(), true, nullptr, &copies);
    EXPECT_EQ(box.Places(), AllAt("both"));
    DisposalUndo(box.fileSystem, box.prompter, copies).Undo();
    EXPECT_EQ(box.Places(), AllAt("from"));
    EXPECT_TRUE(QFileInfo::exists(box.dir.FilePath(QStringLiteral("trash/f1.jpg")))) << "a copy is never unlinked";

    for (const FilePath& source : box.sources)
        box.board.List(4).Append(source);
    DisposalRecord trashed;
    EXPECT_TRUE(DeleteListFiles(box.board, box.fileSystem, 4, &trashed).empty());
    EXPECT_EQ(box.Places(), AllAt("none"));
    DisposalUndo(box.fileSystem, box.prompter, trashed).Undo();
    EXPECT_EQ(box.Places(), AllAt("from"));
    EXPECT_TRUE(box.prompter.questions.empty());
}

TEST(DisposalUndo, AFileThatChangedWhosePlaceIsTakenOrThatLeftTheTrashStaysAndIsNamed) {
    DisposalSandbox box;
    DisposalRecord record;
    box.Run(3, box.To(), false, nullptr, &record);
    box.dir.Write(QStringLiteral("to/f1.jpg"), "edited since");
    box.dir.Write(QStringLiteral("from/f3.jpg"), "a new file in its place");
    DisposalUndo undo(box.fileSystem, box.prompter, record);
    box.prompter.answers = {PromptAnswer::Ok};
    undo.Undo();
    EXPECT_EQ(box.dir.Read(QStringLiteral("to/f1.jpg")), "edited since");
    EXPECT_EQ(box.dir.Read(QStringLiteral("from/f3.jpg")), "a new file in its place");
    for (int i : {2, 4, 5})
        EXPECT_EQ(box.WhereIs(i), "from");
    ASSERT_EQ(box.prompter.questions.size(), 1u);
    const auto& told = box.prompter.questions[0];
    EXPECT_TRUE(told.text.startsWith(QString::fromUtf8("元に戻せなかったファイルがあります。\r\n")));
    EXPECT_TRUE(told.text.contains(QString::fromStdString(box.To() + "/f1.jpg")));
    EXPECT_TRUE(told.text.contains(QString::fromStdString(box.To() + "/f3.jpg")));
    EXPECT_EQ(told.icon, PromptIcon::Exclamation);

    box.board.List(5).Append(box.sources[1]);
    DisposalRecord trashed;
    DeleteListFiles(box.board, box.fileSystem, 5, &trashed);
    QFile::remove(box.dir.FilePath(QStringLiteral("trash/f2.jpg"))); // the trash was emptied
    DisposalUndo gone(box.fileSystem, box.prompter, trashed);
    box.prompter.answers = {PromptAnswer::Ok};
    gone.Undo();
    EXPECT_EQ(gone.leftBehind().size(), 1u);
}

} // namespace
