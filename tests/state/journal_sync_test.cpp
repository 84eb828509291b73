#include "board/moves.h"
#include "state/recovery_files.h"
#include "state/recovery_journal.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <mutex>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Which thread made which file reach the disk: a power loss is not something a test can cause,
// so the syncs themselves are watched. These stand in for the C library's own in this binary
// and still sync.
std::mutex syncsMutex;
std::vector<std::pair<std::thread::id, std::string>> syncs;

void Note(int fd) {
    char path[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = ::readlink(link.c_str(), path, sizeof path - 1);
    const std::lock_guard lock(syncsMutex);
    syncs.emplace_back(std::this_thread::get_id(),
                       length > 0 ? std::string(path, static_cast<std::size_t>(length)) : "");
}

} // namespace

extern "C" int fdatasync(int fd) {
    Note(fd);
    return static_cast<int>(::syscall(SYS_fdatasync, fd));
}

extern "C" int fsync(int fd) {
    Note(fd);
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace pelldrake {
namespace {

// After a disposal the lists that name the moved files must outlast a power loss: the newest
// journal, the tail of the one a snapshot is closing, and the folder entry of the new one.
TEST(JournalSyncTest, ASyncPutsEveryJournalStillNeededAndItsFolderOnTheDisk) {
    testing::TempDir dir;
    const FilePath folder = dir.Native(QStringLiteral("state"));
    const auto files = RecoveryFiles::Claim(folder);
    ASSERT_TRUE(files);
    Board board;
    auto journal = RecoveryJournal::Start(*files, board, 1);
    ASSERT_TRUE(journal);
    journal->setLeastBeforeSnapshot(512);
    board.history().setJournal(journal.get());
    board.AppendAndShow(kUnclassified, {"/pictures/IMG_1.JPG"});
    // Back and forth: the journal grows, the lists do not, and a snapshot soon takes over.
    for (int i = 0; journal->generation() == 1 && i < 1000; ++i) {
        const BoardHistory::Scope step(board.history());
        if (i % 2 == 0)
            moves::MoveCurrentToList(board, 2);
        else
            moves::MoveAllEntries(board, 2, kUnclassified);
    }
    ASSERT_GT(journal->generation(), 1);
    const FilePath closing = files->JournalPath(1);
    const FilePath newest = files->JournalPath(journal->generation());
    {
        const std::lock_guard lock(syncsMutex);
        syncs.clear();
    }
    journal->Sync();
    std::vector<std::string> here;
    {
        const std::lock_guard lock(syncsMutex);
        for (const auto& [thread, path] : syncs) {
            if (thread == std::this_thread::get_id())
                here.push_back(path);
        }
    }
    const auto synced = [&here](const std::string& path) {
        // A journal the snapshot has replaced meanwhile is still the file it was.
        return std::any_of(here.begin(), here.end(), [&](const std::string& seen) { return seen.starts_with(path); });
    };
    EXPECT_TRUE(synced(newest));
    EXPECT_TRUE(synced(closing));
    EXPECT_TRUE(std::find(here.begin(), here.end(), folder) != here.end());
    journal->WaitForSnapshot();
    board.history().setJournal(nullptr);
    journal->Finish();
}

} // namespace
} // namespace pelldrake
