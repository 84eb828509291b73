#include "state/work_state_writer.h"

#include "board/board.h"
#include "platform/file_info.h"
#include "state/work_state_format.h"

#include <QFile>
#include <QSaveFile>
#include <string>

namespace pelldrake {

namespace {

// Collects lines and hands them to the file in large pieces.
class LineSink {
public:
    explicit LineSink(QSaveFile& file) : file_(file) { pending_.reserve(kChunk + 4096); }

    void Line(std::string_view text) {
        pending_.append(text);
        pending_.append(work_state::kLineEnd);
        if (pending_.size() >= kChunk)
            Flush();
    }
    // False once any write has failed.
    bool Flush() {
        if (!pending_.empty() && !failed_)
            failed_ = file_.write(pending_.data(), static_cast<qint64>(pending_.size())) !=
                      static_cast<qint64>(pending_.size());
        pending_.clear();
        return !failed_;
    }

private:
    static constexpr std::size_t kChunk = 256 * 1024;
    QSaveFile& file_;
    std::string pending_;
    bool failed_ = false;
};

} // namespace

bool IsRecordable(std::string_view path) {
    return path.find_first_of("\r\n") == std::string_view::npos;
}

FilePathList UnrecordableEntries(const Board& board) {
    FilePathList refused;
    for (ListIndex list = 0; list < kListCount; ++list) {
        for (const FilePath& entry : board.List(list).Entries()) {
            if (!IsRecordable(entry))
                refused.push_back(entry);
        }
    }
    return refused;
}

SaveResult WriteWorkStateFile(const Board& board, const FilePath& path) {
    QSaveFile file(PathToQString(path));
    if (!file.open(QIODevice::WriteOnly))
        return SaveResult::CannotOpen;
    LineSink sink(file);
    for (std::string_view line :
         {work_state::kMagic, work_state::kVersionLabel, work_state::kVersion, work_state::kEndMark})
        sink.Line(line);
    for (ListIndex list = 0; list < kListCount; ++list) {
        sink.Line(work_state::kSectionMark);
        sink.Line(std::to_string(list));
        for (const FilePath& entry : board.List(list).Entries()) {
            if (IsRecordable(entry))
                sink.Line(entry);
        }
    }
    sink.Line(work_state::kEndMark);
    // Without commit the temporary file is removed and the target stays untouched.
    if (!sink.Flush() || !file.commit())
        return SaveResult::WriteFailed;
    return SaveResult::Saved;
}

} // namespace pelldrake
