// Times a bulk classification with every condition on over 100,000 entries spread over the
// eleven lists, against a bare stat of the same paths.
//
// The files are 100 folders of 1,000 sparse files with sizes from 0 to 40 KB, modification times
// spread over 60 days and three extensions, so each condition takes some entries and leaves
// others. Every run scans all entries again (the taken ones sit in the target list), so each run
// does the same work. The classification runs on the user-interface thread: its time is the time
// the window does not answer.

#include "board/board.h"
#include "tools/auto_classify.h"
#include "tools/match_wildcard.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace pelldrake;

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 1000;
constexpr int kRuns = 5;
constexpr std::time_t kDay = 24 * 60 * 60;

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

bool MakeFiles(const std::string& root, std::time_t now, FilePathList& paths) {
    static const char* const kExtensions[] = {"JPG", "png", "gif"};
    char name[64];
    for (int folder = 0; folder < kFolders; ++folder) {
        std::snprintf(name, sizeof name, "/event_%03d", folder);
        const std::string folderPath = root + name;
        if (::mkdir(folderPath.c_str(), 0755) != 0)
            return false;
        for (int file = 0; file < kFilesPerFolder; ++file) {
            const int i = folder * kFilesPerFolder + file;
            std::snprintf(name, sizeof name, "/IMG_%06d.%s", i, kExtensions[i % 3]);
            const std::string path = folderPath + name;
            const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
            if (fd < 0)
                return false;
            const bool sized = ::ftruncate(fd, (i * 37) % 41 * 1024) == 0;
            const std::time_t modified = now - (i % 60) * kDay;
            const timespec times[2] = {{modified, 0}, {modified, 0}};
            const bool dated = ::futimens(fd, times) == 0;
            ::close(fd);
            if (!sized || !dated)
                return false;
            paths.push_back(path);
        }
    }
    return true;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main() {
    QTemporaryDir temp;
    const std::string root = QFile::encodeName(temp.path()).toStdString();
    const QDateTime now = QDateTime::currentDateTime();
    FilePathList paths;
    paths.reserve(kFolders * kFilesPerFolder);
    if (!temp.isValid() || !MakeFiles(root, now.toSecsSinceEpoch(), paths)) {
        std::fprintf(stderr, "cannot create the files under %s\n", qPrintable(temp.path()));
        return 1;
    }

    Board board;
    for (std::size_t i = 0; i < paths.size(); ++i)
        board.List(static_cast<ListIndex>(i % kListCount)).Append(paths[i]);

    ClassifyConditions conditions = ClassifyConditions::StartingAt(now);
    conditions.targetMode = ClassifyConditions::kToChosen;
    conditions.targetChoice = 3;
    conditions.nameFilterOn = conditions.lowerBoundOn = conditions.upperBoundOn = true;
    conditions.fromDateOn = conditions.untilDateOn = true;
    conditions.nameFilter = "*.jpg;IMG_??????.PNG";
    conditions.lowerBound = "5";
    conditions.upperBound = "30";

    std::vector<double> bare;
    std::vector<double> classify;
    int taken = 0;
    for (int run = 0; run < kRuns; ++run) {
        const Clock::time_point start = Clock::now();
        int found = 0;
        for (const FilePath& path : paths) {
            struct stat info {};
            found += ::stat(path.c_str(), &info) == 0;
        }
        bare.push_back(Milliseconds(Clock::now() - start));
        if (found != static_cast<int>(paths.size()))
            return 1;

        const Clock::time_point begin = Clock::now();
        taken = RunAutoClassify(board, conditions);
        classify.push_back(Milliseconds(Clock::now() - begin));
    }
    std::printf("entries %d, taken per run %d\n", board.TotalCount(), taken);
    std::printf("bare stat of every path: median %.1f ms\n", Median(bare));
    std::printf("bulk classification, every condition on: median %.1f ms, slowest %.1f ms (target < 1000 ms)\n",
                Median(classify), *std::max_element(classify.begin(), classify.end()));

    // Stars that a naive matcher would retry at every split.
    const Utf8CodePage utf8;
    const std::string name(250, 'A');
    const Clock::time_point begin = Clock::now();
    const bool matched = MatchWildcard(utf8, "*A*A*A*A*A*A*A*A*A*A*B", name);
    std::printf("ten stars against 250 characters: %s in %.3f ms\n", matched ? "match" : "no match",
                Milliseconds(Clock::now() - begin));
    return 0;
}
