#include "state/work_state_writer.h"

#include "board/board.h"
#include "platform/file_info.h"
#include "state/work_state_format.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <string>

namespace pelldrake {

namespace {

// Collects lines and hands them to the file in large pieces.
class LineSink {
public:
    explicit LineSink(QFileDevice& file) : file_(file) { pending_.reserve(kChunk + 4096); }

    void Line(std::string_view text, bool escaped = false) {
        if (escaped)
            work_state::AppendEscaped(text, pending_);
        else
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
    QFileDevice& file_;
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

bool AllRecordable(const std::array<const FilePathList*, kListCount>& lists) {
    return std::all_of(lists.begin(), lists.end(), [](const FilePathList* list) {
        return std::all_of(list->begin(), list->end(), [](const FilePath& path) { return IsRecordable(path); });
    });
}

namespace {

// False once any write has failed.
bool WriteLines(const WorkStateContent& content, QFileDevice& file) {
    LineSink sink(file);
    for (std::string_view line : {work_state::kMagic, work_state::kVersionLabel, work_state::kVersion})
        sink.Line(line);
    if (content.escaped)
        sink.Line(work_state::kEscapedNote);
    for (const std::string& note : content.headerNotes)
        sink.Line(note);
    sink.Line(work_state::kEndMark);
    for (ListIndex list = 0; list < kListCount; ++list) {
        sink.Line(work_state::kSectionMark);
        sink.Line(std::to_string(list));
        if (content.entries) {
            if (!content.entries(list, [&](std::string_view entry) { sink.Line(entry, content.escaped); }))
                return false;
            continue;
        }
        for (const FilePath& entry : *content.lists[static_cast<std::size_t>(list)]) {
            if (content.escaped || IsRecordable(entry))
                sink.Line(entry, content.escaped);
        }
    }
    sink.Line(work_state::kEndMark);
    return sink.Flush();
}

} // namespace

WorkStateContent WorkStateContent::Of(const Board& board) {
    WorkStateContent content;
    for (ListIndex list = 0; list < kListCount; ++list)
        content.lists[static_cast<std::size_t>(list)] = &board.List(list).Entries();
    return content;
}

SaveResult WriteWorkStateFile(const Board& board, const FilePath& path) {
    return WriteWorkStateFile(WorkStateContent::Of(board), path);
}

SaveResult WriteWorkStateFile(const WorkStateContent& content, const FilePath& path) {
    QSaveFile file(PathToQString(path));
    if (file.open(QIODevice::WriteOnly)) {
        // Without commit the temporary file is removed and the target stays untouched.
        if (!WriteLines(content, file) || !file.commit())
            return SaveResult::WriteFailed;
        return SaveResult::Saved;
    }
    // A folder that allows no new file may still hold a file the user may write: it is rewritten
    // in place, truncated first, as saving over it always meant. (QSaveFile's own fallback for
    // this case does not take effect where the temporary file is an unnamed one.)
    if (!IsRegularFile(path))
        return SaveResult::CannotOpen;
    QFile inPlace(PathToQString(path));
    if (!inPlace.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return SaveResult::CannotOpen;
    if (!WriteLines(content, inPlace) || !inPlace.flush())
        return SaveResult::WriteFailed;
    inPlace.close();
    return inPlace.error() == QFileDevice::NoError ? SaveResult::Saved : SaveResult::WriteFailed;
}

} // namespace pelldrake
