#include "state/journal_replay.h"

#include "platform/file_info.h"
#include "state/journal_record.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <utility>

namespace pelldrake {

namespace {

bool IsFileRecord(ListChange::Kind kind) {
    return kind == ListChange::Kind::FileLeaves || kind == ListChange::Kind::FileReturns ||
           kind == ListChange::Kind::FileDone || kind == ListChange::Kind::Scratch;
}

} // namespace

template <typename Entry>
bool ReplayJournal(const FilePath& path, std::uint32_t file, BasicRecoveredBoard<Entry>& board, bool& whole,
                   std::uint64_t commandsUpTo, std::uint64_t& commandsEnd) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    const auto info = StatOpenFile(fd);
    bool ok = info && info->IsRegular();
    whole = true;
    commandsEnd = 0;
    std::string data;
    std::size_t offset = 0;
    std::uint64_t dataStart = 0; // where data begins in the file
    bool atEnd = false;
    bool first = true;
    bool commandsHaveEnds = false;
    bool commandOpen = false;
    char buffer[1 << 16];
    while (ok && whole && !(atEnd && offset == data.size())) {
        if (atEnd) {
            whole = false; // a record cut short
            break;
        }
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ok = false;
            break;
        }
        atEnd = got == 0;
        data.erase(0, offset);
        dataStart += offset;
        offset = 0;
        data.append(buffer, static_cast<std::size_t>(got));
        while (journal_record::WholeRecordAt(data, offset)) {
            const std::uint64_t recordAt = dataStart + offset;
            const std::uint64_t pathAt = recordAt + journal_record::kPathOffset;
            const auto change = journal_record::Next(data, offset);
            if (!change) {
                whole = false;
                break;
            }
            if (std::exchange(first, false))
                commandsHaveEnds = change->kind == ListChange::Kind::CommandEnd;
            const bool fileRecord = IsFileRecord(change->kind);
            if (!fileRecord && recordAt >= commandsUpTo) {
                commandOpen = true;
                continue;
            }
            if (!board.Apply(*change, {pathAt, static_cast<std::uint32_t>(change->path.size()), file})) {
                whole = false;
                break;
            }
            if (fileRecord)
                continue;
            if (commandsHaveEnds && change->kind != ListChange::Kind::CommandEnd) {
                commandOpen = true;
                continue;
            }
            if (!commandsHaveEnds)
                board.Apply(ListChange{ListChange::Kind::CommandEnd, 0, 0, {}});
            commandOpen = false;
            commandsEnd = dataStart + offset;
        }
    }
    ::close(fd);
    if (commandOpen) {
        board.DropUncommitted();
        whole = false;
    }
    return ok;
}

template bool ReplayJournal(const FilePath&, std::uint32_t, BasicRecoveredBoard<FilePath>&, bool&, std::uint64_t,
                            std::uint64_t&);
template bool ReplayJournal(const FilePath&, std::uint32_t, BasicRecoveredBoard<PathPlace>&, bool&, std::uint64_t,
                            std::uint64_t&);

} // namespace pelldrake
