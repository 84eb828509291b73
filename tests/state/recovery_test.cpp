#include "board/board.h"
#include "board/moves.h"
#include "state/recovery_files.h"
#include "state/recovery_journal.h"
#include "state/work_state_reader.h"
#include "support/board_picture.h"
#include "support/temp_dir.h"

#include <QFile>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace pelldrake {
namespace {

using testing::TempDir;

using Lists = testing::BoardPicture;

Lists ListsOf(const Board& board) {
    return testing::PictureOf(board);
}

Lists ListsOf(const RecoveredBoard& recovered) {
    return Lists{recovered.Lists(), recovered.marks};
}

FilePath Native(const TempDir& dir, const char* name) {
    return QFile::encodeName(dir.path()).toStdString() + "/" + name;
}

// A random command of the kinds a user gives, each one step.
void RandomCommand(Board& board, std::mt19937& random, int& fresh) {
    const BoardHistory::Scope step(board.history());
    const int n = 1 + static_cast<int>(random() % 10);
    switch (random() % 9) {
    case 0:
    case 1:
    case 2:
        moves::MoveCurrentToList(board, n);
        break;
    case 3:
        moves::ReturnCurrentToUnclassified(board, n);
        break;
    case 4:
        moves::StepUnclassified(board);
        break;
    case 5:
        board.AppendAndShow(kUnclassified, {"/p/new " + std::to_string(fresh++), "/p/日本 " + std::to_string(fresh++)});
        break;
    case 6:
        board.history().Undo();
        break;
    case 7:
        board.history().Redo();
        break;
    default:
        if (random() % 4 == 0)
            moves::MoveAllEntries(board, n, kUnclassified);
        else
            moves::ExcludeCurrent(board, false);
    }
}

TEST(RecoveryTest, TheFilesGiveBackTheBoardAfterEveryCommandAcrossSnapshotsAndATornRecord) {
    TempDir dir;
    const auto files = RecoveryFiles::Claim(Native(dir, "state/pelldrake"));
    ASSERT_TRUE(files);
    Board board;
    for (int i = 0; i < 60; ++i)
        board.AppendAndShow(kUnclassified, {"/pictures/IMG_" + std::to_string(i) + ".JPG"});
    auto journal = RecoveryJournal::Start(*files, board, 1);
    ASSERT_TRUE(journal);
    journal->setLeastBeforeSnapshot(4096);
    board.history().setJournal(journal.get());

    std::mt19937 random(7);
    int fresh = 0;
    Lists before;
    for (int command = 0; command < 400; ++command) {
        before = ListsOf(board);
        if (command % 150 == 75) {
            // An intake too large to write at once, undone and done again: the command right after
            // it (its list cleared again, so that snapshots keep coming) must still follow it.
            FilePathList many;
            for (int i = 0; i < 60'000; ++i)
                many.push_back("/pictures/a folder with a long name/" + std::to_string(fresh++) + std::string(60, 'x'));
            EntryBatch batch = EntryBatch::Unexamined(std::move(many));
            board.history().PrepareRun(batch, 10, board.List(10).Count());
            {
                const BoardHistory::Scope step(board.history());
                board.AppendAndShow(10, std::move(batch));
            }
            // Taken back in one piece and put back with records made ahead.
            board.history().Undo();
            board.history().Redo();
            const BoardHistory::Scope step(board.history());
            moves::ClearList(board, 10);
            continue;
        }
        RandomCommand(board, random, fresh);
        if (command % 37 == 0) {
            journal->WaitForSnapshot();
            const RecoveryReading reading = ReadRecovery(*files);
            ASSERT_EQ(reading.outcome, RecoveryReading::Outcome::Readable);
            ASSERT_EQ(ListsOf(reading.board), ListsOf(board)) << "after command " << command;
        }
    }
    journal->WaitForSnapshot();
    EXPECT_GT(journal->generation(), 3) << "the journal never gave way to a snapshot";
    EXPECT_LE(files->JournalGenerations().size(), 2u);

    // A name with a line break on the board: snapshots go on replacing the journal.
    {
        const BoardHistory::Scope step(board.history());
        board.AppendAndShow(10, {"/pictures/two\nlines.JPG"});
    }
    journal->WaitForSnapshot();
    const int generation = journal->generation();
    for (int command = 0; command < 200; ++command)
        RandomCommand(board, random, fresh);
    journal->WaitForSnapshot();
    EXPECT_GT(journal->generation(), generation);
    EXPECT_EQ(ListsOf(ReadRecovery(*files).board), ListsOf(board));

    // A kill in the middle of the last write leaves part of its record: the command before counts.
    before = ListsOf(board);
    {
        const BoardHistory::Scope step(board.history());
        board.AppendAndShow(kUnclassified, {"/pictures/last.JPG"});
    }
    journal->WaitForSnapshot();
    const FilePath last = files->JournalPath(journal->generation());
    const auto size = std::filesystem::file_size(last);
    if (size > 3) {
        std::filesystem::resize_file(last, size - 3);
        EXPECT_EQ(ListsOf(ReadRecovery(*files).board), before);
    }
    journal->Finish();
    EXPECT_FALSE(files->Present());
}

TEST(RecoveryTest, ANameWithALineBreakGoesThroughSnapshotsAndIntoTheKeptCopy) {
    TempDir dir;
    const auto files = RecoveryFiles::Claim(Native(dir, "state"));
    ASSERT_TRUE(files);
    // Real files, as the load command takes only names of files that are there; the escape's own
    // character among them.
    const FilePathList odd = {dir.Write("two\nlines.jpg", "n"), dir.Write("cr\r.jpg", "r"),
                              dir.Write("back\\nslash\\.jpg", "b"), dir.Write("plain.jpg", "p")};
    Board board;
    // In a list that stays as it is, so that each snapshot takes them from the one before.
    board.AppendAndShow(3, odd, 1);
    for (int i = 0; i < 40; ++i)
        board.AppendAndShow(kUnclassified, {"/pictures/IMG_" + std::to_string(i) + ".JPG"});
    auto journal = RecoveryJournal::Start(*files, board, 1);
    ASSERT_TRUE(journal);
    journal->setLeastBeforeSnapshot(4096);
    board.history().setJournal(journal.get());
    for (int command = 0; command < 60; ++command) {
        {
            const BoardHistory::Scope step(board.history());
            moves::MoveAllEntries(board, command % 2 == 0 ? kUnclassified : 5, command % 2 == 0 ? 5 : kUnclassified);
        }
        // Each snapshot in its turn, however slow the disk.
        journal->WaitForSnapshot();
    }
    EXPECT_GT(journal->generation(), 10);
    EXPECT_LE(files->JournalGenerations().size(), 2u) << "the journals pile up";
    RecoveryReading left = ReadRecovery(*files);
    EXPECT_EQ(ListsOf(left.board), ListsOf(board));
    board.history().setJournal(nullptr);
    journal.reset();

    // Declined: the kept copy the load command reads holds them all.
    const FilePath kept = files->KeepRecovered(left.board, QDateTime(QDate(2026, 12, 9), QTime(14, 5, 6)));
    ASSERT_FALSE(kept.empty());
    Board loaded;
    ASSERT_EQ(ReadWorkStateFile(loaded, kept, {}), LoadResult::Loaded);
    EXPECT_EQ(loaded.List(3).Entries(), odd);
}

TEST(RecoveryTest, EachRunningCopyHasItsFilesAndWhatIsLeftIsKeptAsAWorkState) {
    TempDir dir;
    const FilePath folder = Native(dir, "state");
    const auto first = RecoveryFiles::Claim(folder);
    const auto second = RecoveryFiles::Claim(folder);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->SnapshotPath(), second->SnapshotPath());

    const FilePath a = dir.Write("a.jpg", "a");
    const FilePath b = dir.Write("b.jpg", "b");
    RecoveredBoard left;
    left.Apply({ListChange::Kind::Insert, 0, 0, a});
    left.Apply({ListChange::Kind::Insert, 7, 0, b});
    std::ofstream(first->JournalPath(3)) << "left";
    const FilePath kept = first->KeepRecovered(left, QDateTime(QDate(2026, 12, 9), QTime(14, 5, 6)));
    EXPECT_EQ(kept, folder + "/pelldrake-recovered-20261209-140506.PLD");
    EXPECT_FALSE(first->Present());
    Board loaded;
    ASSERT_EQ(ReadWorkStateFile(loaded, kept, {}), LoadResult::Loaded);
    EXPECT_EQ(loaded.List(7).Entries(), FilePathList{b});

    // Damage is never thrown away: the files move aside as they are.
    std::ofstream(second->SnapshotPath()) << "not a work state\r\n";
    ASSERT_EQ(ReadRecovery(*second).outcome, RecoveryReading::Outcome::Unreadable);
    const FilePathList aside = second->KeepUnreadable(QDateTime(QDate(2026, 12, 9), QTime(14, 5, 6)));
    EXPECT_EQ(aside, FilePathList{folder + "/pelldrake-recovered-20261209-140506-unreadable.PLD"});
    EXPECT_TRUE(std::filesystem::exists(aside.front()));
    EXPECT_FALSE(second->Present());
}

TEST(RecoveryTest, ADamagedRecordEndsTheReplayThoughWholeRecordsFollow) {
    TempDir dir;
    const auto files = RecoveryFiles::Claim(Native(dir, "state"));
    ASSERT_TRUE(files);
    Board board;
    board.AppendAndShow(kUnclassified, {"/pictures/first.JPG"});
    auto journal = RecoveryJournal::Start(*files, board, 1);
    ASSERT_TRUE(journal);
    board.history().setJournal(journal.get());
    const Lists before = ListsOf(board);
    // Into lists of their own, so that the second would fit without the first.
    for (const auto& [list, path] : {std::pair{3, "/pictures/damaged.JPG"}, std::pair{5, "/pictures/after.JPG"}}) {
        const BoardHistory::Scope step(board.history());
        board.AppendAndShow(list, {path});
    }
    journal->Sync();
    ASSERT_EQ(ListsOf(ReadRecovery(*files).board), ListsOf(board));

    // One byte of a record's path changed on the disk: its checksum tells, and nothing from there
    // on is replayed, though the record after it is whole.
    const FilePath last = files->JournalPath(journal->generation());
    std::string bytes;
    {
        std::ifstream in(last, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::size_t at = bytes.find("damaged");
    ASSERT_NE(at, std::string::npos);
    bytes[at] = 'D';
    std::ofstream(last, std::ios::binary | std::ios::trunc) << bytes;
    EXPECT_EQ(ListsOf(ReadRecovery(*files).board), before);
    board.history().setJournal(nullptr);
}

TEST(RecoveryTest, AnEndCutShortLeavesAWholeBoardAndTheNewestKeptCopiesStay) {
    TempDir dir;
    const auto files = RecoveryFiles::Claim(Native(dir, "state"));
    ASSERT_TRUE(files);
    std::ofstream(files->SnapshotPath()) << "snapshot";
    for (const int generation : {1, 2, 3})
        std::ofstream(files->JournalPath(generation)) << "journal";
    // Killed after the first removal: the older journals still follow the snapshot, gap-free.
    int removals = 0;
    files->RemoveAll([&removals](const FilePath& path) {
        if (removals++ == 1)
            return false;
        return RecoveryFiles::RemoveFile(path);
    });
    EXPECT_EQ(files->JournalGenerations(), (std::vector<int>{1, 2}));
    EXPECT_TRUE(std::filesystem::exists(files->SnapshotPath()));
    files->RemoveAll();
    EXPECT_FALSE(files->Present());

    // Two copies kept in one second: the one numbered 2 is the newer.
    FilePathList names;
    for (int second = 10; second < 19; ++second)
        names.push_back("pelldrake-recovered-20261209-1405" + std::to_string(second) + ".PLD");
    names.push_back("pelldrake-recovered-20261209-140509-2.PLD");
    names.push_back("pelldrake-recovered-20261209-140509.PLD");
    EXPECT_EQ(RecoveryFiles::KeptCopiesBeyondTheNewest(names), FilePathList{"pelldrake-recovered-20261209-140509.PLD"});
}

TEST(RecoveryTest, PairsAreFoundAgainFromTheFolderOnlyWhenAskedAndNeverWithARawFileThatIsAnEntry) {
    TempDir dir;
    const FilePath paired = dir.Write("N.jpg", "n");
    dir.Write("N.cr2", "n raw");
    const FilePath sorted = dir.Write("M.jpg", "m");
    const FilePath sortedRaw = dir.Write("M.nef", "m raw");
    const FilePath alone = dir.Write("A.jpg", "a");
    RecoveredBoard left;
    left.Apply({ListChange::Kind::Insert, 0, 0, paired});
    left.Apply({ListChange::Kind::Insert, 0, 1, alone});
    left.Apply({ListChange::Kind::Insert, 3, 0, sorted});
    left.Apply({ListChange::Kind::Insert, 4, 0, sortedRaw});
    const auto files = RecoveryFiles::Claim(Native(dir, "state"));
    ASSERT_TRUE(files);
    const FilePath kept = files->KeepRecovered(left, QDateTime(QDate(2026, 12, 9), QTime(14, 5, 6)));
    auto pairs = [](const Board& board) {
        return std::vector<bool>{board.List(0).IdentityAt(0).Paired(), board.List(0).IdentityAt(1).Paired(),
                                 board.List(3).IdentityAt(0).Paired(), board.List(4).IdentityAt(0).Paired()};
    };
    const std::vector<bool> found{true, false, false, false};

    Board recovered;
    left.MoveInto(recovered, true);
    EXPECT_EQ(pairs(recovered), found);
    for (const bool findPairs : {true, false}) {
        Board loaded;
        ASSERT_EQ(ReadWorkStateFile(loaded, kept, {}, findPairs), LoadResult::Loaded);
        EXPECT_EQ(pairs(loaded), findPairs ? found : std::vector<bool>(4, false));
    }
}

} // namespace
} // namespace pelldrake
