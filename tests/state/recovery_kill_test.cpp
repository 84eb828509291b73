#include "board/moves.h"
#include "disposal/disposal_undo.h"
#include "state/recovery_files.h"
#include "state/recovery_journal.h"
#include "support/board_picture.h"
#include "support/disposal_sandbox.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace pelldrake {
namespace {

using testing::DisposalSandbox;

// What a SIGKILL leaves of a run: nothing after the instant it strikes.
struct Killed {};

// The kills are simulated, not power losses: the sandboxes go where a sync costs nothing, so
// that a hundred of them take a moment.
class SandboxesInMemory {
public:
    SandboxesInMemory() : old_(qgetenv("TMPDIR")) {
        if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            qputenv("TMPDIR", "/dev/shm");
    }
    ~SandboxesInMemory() {
        if (old_.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", old_);
    }

private:
    QByteArray old_;
};

testing::BoardPicture PictureOf(const RecoveredBoard& recovered) {
    return testing::BoardPicture{recovered.Lists(), recovered.marks};
}

// Every board change of one command; the journal's file holds them whole or, cut anywhere inside
// the command, not at all.
TEST(RecoveryKillTest, ACommandCutAtAnyByteReplaysAsNone) {
    const SandboxesInMemory inMemory;
    DisposalSandbox box(0);
    const auto files = RecoveryFiles::Claim(box.dir.Native(QStringLiteral("state")));
    ASSERT_TRUE(files);
    Board& board = box.board;
    FilePathList paths;
    for (int i = 0; i < 16; ++i)
        paths.push_back("/pictures/IMG_" + std::to_string(i) + ".JPG");
    board.AppendAndShow(4, paths);
    auto journal = RecoveryJournal::Start(*files, board, 1);
    ASSERT_TRUE(journal);
    board.history().setJournal(journal.get());
    {
        const BoardHistory::Scope step(board.history());
        board.List(4).Clear();
    }
    journal->Sync();
    const testing::BoardPicture before = testing::PictureOf(board);
    const FilePath last = files->JournalPath(journal->generation());
    const auto commandStart = std::filesystem::file_size(last);
    // The clear taken back: sixteen inserts in one command, as in a torn undo of a long list.
    board.history().Undo();
    journal->Sync();
    const testing::BoardPicture after = testing::PictureOf(board);
    ASSERT_NE(before, after);
    const auto whole = std::filesystem::file_size(last);
    std::string bytes(whole, '\0');
    {
        std::FILE* in = std::fopen(last.c_str(), "rb");
        ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), in), bytes.size());
        std::fclose(in);
    }
    ASSERT_EQ(PictureOf(ReadRecovery(*files).board), after);
    int partial = 0;
    for (auto cut = commandStart; cut < whole; ++cut) {
        std::FILE* out = std::fopen(last.c_str(), "wb");
        std::fwrite(bytes.data(), 1, cut, out);
        std::fclose(out);
        partial += PictureOf(ReadRecovery(*files).board) != before;
    }
    EXPECT_EQ(partial, 0) << "of " << whole - commandStart << " cuts inside the command";
    journal->Finish();
}

enum class Road { Dispose, Undo, Redo };

// A disposal, its undo or its redo, killed before or after any of its file operations: the lists
// read back name every file where it is, and every file the run took out of or brought back to
// the folder it came from.
TEST(RecoveryKillTest, AKillBetweenAFileOperationAndItsRecordLeavesListsAndFilesInStep) {
    const SandboxesInMemory inMemory;
    for (const Road road : {Road::Dispose, Road::Undo, Road::Redo}) {
        for (const bool crossDevice : {false, true}) {
            for (int stop = 1;; ++stop) {
                bool ranOut = true;
                for (const bool afterTheOperation : {false, true}) {
                    SCOPED_TRACE(::testing::Message() << "road " << static_cast<int>(road) << ", across " << crossDevice
                                                      << ", kill at " << stop << ", after " << afterTheOperation);
                    DisposalSandbox box;
                    const auto files = RecoveryFiles::Claim(box.dir.Native(QStringLiteral("state")));
                    auto journal = RecoveryJournal::Start(*files, box.board, 1);
                    ASSERT_TRUE(journal);
                    BoardHistory& history = box.board.history();
                    history.setJournal(journal.get());
                    box.fileSystem.crossDevice = crossDevice;
                    DisposalRecord record;
                    std::shared_ptr<DisposalUndo> undo;
                    if (road != Road::Dispose) {
                        const BoardHistory::Scope step(history);
                        box.Run(3, box.To(), false, nullptr, &record);
                        undo = std::make_shared<DisposalUndo>(box.fileSystem, box.prompter, record, nullptr, &history);
                        history.AttachFiles(undo);
                    }
                    if (road == Road::Redo)
                        history.Undo();
                    int operations = 0;
                    const auto strike = [&](bool after) {
                        if (after == afterTheOperation && ++operations == stop)
                            throw Killed{};
                    };
                    box.fileSystem.beforeTransfer = [&](const FilePath&, const FilePath&) { strike(false); };
                    box.fileSystem.afterTransfer = [&](const FilePath&, const FilePath&) { strike(true); };
                    try {
                        if (road == Road::Dispose)
                            box.Run(3, box.To());
                        else if (road == Road::Undo)
                            undo->Undo({});
                        else
                            undo->Redo({});
                    } catch (const Killed&) {
                        ranOut = false;
                    }
                    if (ranOut)
                        break;
                    const RecoveryReading reading = ReadRecovery(*files);
                    ASSERT_EQ(reading.outcome, RecoveryOutcome::Readable);
                    std::set<FilePath> named;
                    for (ListIndex list = 0; list < kListCount; ++list) {
                        for (const FilePath& path : reading.board.List(list)) {
                            EXPECT_TRUE(std::filesystem::exists(path)) << path << " is named but gone";
                            named.insert(path);
                        }
                    }
                    for (const FilePath& path : box.sources) {
                        const bool here = std::filesystem::exists(path);
                        EXPECT_TRUE(!here || named.contains(path)) << path << " is here but no list names it";
                    }
                    history.setJournal(nullptr);
                }
                if (ranOut)
                    break;
            }
        }
    }
}

} // namespace
} // namespace pelldrake
