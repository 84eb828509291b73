#include "board/list_change.h"
#include "disposal/delete_list_files.h"
#include "disposal/disposal_undo.h"
#include "support/disposal_sandbox.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <memory>

using namespace pelldrake;
using namespace pelldrake::testing;

namespace {

QStringList AllAt(const char* place) {
    return QStringList(5, QString::fromLatin1(place));
}

// The lists as the recovery journal would rebuild them from what it heard, and whether every
// change it heard ended with its command.
struct ReplayedJournal : ListChangeSink {
    std::array<FilePathList, kListCount> lists;
    bool pending = false;

    void Record(const ListChange& change) override {
        FilePathList& list = lists[static_cast<std::size_t>(change.list)];
        const auto at = list.begin() + std::min<std::ptrdiff_t>(change.index, std::ssize(list));
        if (change.kind == ListChange::Kind::Insert)
            list.insert(at, change.path);
        else if (change.kind == ListChange::Kind::Remove && at != list.end())
            list.erase(at);
        else if (change.kind == ListChange::Kind::Clear)
            list.clear();
        pending = true;
    }
    void Commit() override { pending = false; }
};

// The disposal of list 3 into to/ as one command, its files' undo attached as the window does.
void MoveAsOneStep(DisposalSandbox& box) {
    DisposalRecord record;
    const BoardHistory::Scope step(box.board.history());
    box.Run(3, box.To(), false, nullptr, &record);
    box.board.history().AttachFiles(std::make_shared<DisposalUndo>(box.fileSystem, box.prompter, std::move(record)));
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
    undo.Undo({});
    EXPECT_EQ(box.Places(), back);
    EXPECT_EQ(box.dir.Read(QStringLiteral("from/f2.jpg")), box.contents[1]);
    EXPECT_EQ(box.dir.Read(QStringLiteral("to/f2.jpg")), "old");
    EXPECT_EQ(box.fileSystem.copies, 0) << "on one file system nothing is copied back";
    EXPECT_EQ(box.fileSystem.renames - renames, 5);
    EXPECT_TRUE(undo.leftBehind().empty());

    undo.Redo({});
    EXPECT_EQ(box.Places(), AllAt("to"));
    box.fileSystem.crossDevice = true;
    undo.Undo({});
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
    DisposalUndo(box.fileSystem, box.prompter, copies).Undo({});
    EXPECT_EQ(box.Places(), AllAt("from"));
    EXPECT_TRUE(QFileInfo::exists(box.dir.FilePath(QStringLiteral("trash/f1.jpg")))) << "a copy is never unlinked";

    for (const FilePath& source : box.sources)
        box.board.List(4).Append(source);
    DisposalRecord trashed;
    EXPECT_TRUE(DeleteListFiles(box.board, box.fileSystem, 4, &trashed).empty());
    EXPECT_EQ(box.Places(), AllAt("none"));
    DisposalUndo(box.fileSystem, box.prompter, trashed).Undo({});
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
    undo.Undo({});
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
    gone.Undo({});
    EXPECT_EQ(gone.leftBehind().size(), 1u);
}

TEST(DisposalUndo, EntriesNameTheFilesWhereAnUndoOrRedoLeftThemAndTheStepStaysExact) {
    DisposalSandbox box;
    ReplayedJournal journal;
    journal.lists[3] = box.sources;
    BoardHistory& history = box.board.history();
    history.Forget();
    history.setJournal(&journal);
    const auto at = [&](const char* folder, int i) {
        return box.dir.Native(QStringLiteral("%1/f%2.jpg").arg(QLatin1String(folder)).arg(i));
    };
    const auto heard = [&] {
        EXPECT_FALSE(journal.pending) << "every change is part of the command";
        for (ListIndex list = 0; list < kListCount; ++list)
            EXPECT_EQ(journal.lists[static_cast<std::size_t>(list)], box.board.List(list).Entries()) << list;
    };
    MoveAsOneStep(box);

    // f1 was edited at its target and a new file took f3's place: both stay in to/, named there.
    box.dir.Write(QStringLiteral("to/f1.jpg"), "edited since");
    box.dir.Write(QStringLiteral("from/f3.jpg"), "a new file in its place");
    ASSERT_TRUE(history.Undo());
    const FilePathList undone{at("to", 1), at("from", 2), at("to", 3), at("from", 4), at("from", 5)};
    EXPECT_EQ(box.board.List(3).Entries(), undone);
    const auto f1 = box.fileSystem.Status(at("to", 1));
    EXPECT_EQ(box.board.List(3).IdentityAt(0), FileIdentity(f1->device, f1->inode));
    heard();

    // A new file at f2's target keeps f2 from going again: it keeps its entry. f1 and f3 stayed
    // in to/ and have none, as after the disposal.
    box.dir.Write(QStringLiteral("to/f2.jpg"), "new at the target");
    ASSERT_TRUE(history.Redo());
    EXPECT_EQ(box.board.List(3).Entries(), FilePathList({at("from", 2)}));
    EXPECT_EQ(box.prompter.questions.size(), 2u);
    heard();

    // Once f3's place is free it comes back; every entry is where it was, none twice.
    QFile::remove(box.dir.FilePath(QStringLiteral("from/f3.jpg")));
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(box.board.List(3).Entries(),
              FilePathList({at("to", 1), at("from", 2), at("from", 3), at("from", 4), at("from", 5)}));
    EXPECT_EQ(box.WhereIs(3), "from");
    heard();
    ASSERT_TRUE(history.Redo());
    EXPECT_EQ(box.board.List(3).Entries(), FilePathList({at("from", 2)}));
    heard();

    // A trashed file gone from the trash comes back to no entry; one the trash refuses again
    // keeps its entry.
    const FilePath g1 = box.dir.Write(QStringLiteral("from/g1.jpg"), "g1");
    const FilePath g2 = box.dir.Write(QStringLiteral("from/g2.jpg"), "g2");
    box.board.List(5).Append(g1);
    box.board.List(5).Append(g2);
    {
        const BoardHistory::Scope step(history);
        DisposalRecord trashed;
        DeleteListFiles(box.board, box.fileSystem, 5, &trashed);
        history.AttachFiles(std::make_shared<DisposalUndo>(box.fileSystem, box.prompter, std::move(trashed)));
    }
    QFile::remove(box.dir.FilePath(QStringLiteral("trash/g1.jpg")));
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(box.board.List(5).Entries(), FilePathList({g2}));
    heard();
    box.fileSystem.trashRefuses = {g2};
    ASSERT_TRUE(history.Redo());
    EXPECT_EQ(box.board.List(5).Entries(), FilePathList({g2}));
    heard();
    // The older step that filled list 5 takes back what is left of it.
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(box.board.List(5).Entries(), FilePathList({g2}));
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(box.board.List(5).Count(), 0);
    heard();
    history.setJournal(nullptr);
}

} // namespace
