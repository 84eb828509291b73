// Times a bulk classification by rating (★3以上) over 100,000 entries whose ratings must be read,
// against a bare read of the same bytes (open, read whole, close, one file after the other).
//
// Two sets, one after the other, on /dev/shm: pictures (empty files) each with a Lightroom-style
// NAME.xmp sidecar carrying a rating and a label; then small JPEGs carrying the camera's EXIF
// rating, no sidecar. For each: the first classification of the run (nothing known yet: every
// decision is read), then a second one over the same files (the decisions come from the run's
// cache, each file and its two sidecar names looked up again). The classification examines the
// files on every core, as the program's does, off the user-interface thread.

#include "board/board.h"
#include "tools/auto_classify.h"
#include "tools/decision_cache.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace pelldrake;

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 1000;
constexpr int kRuns = 3;

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Processor time of the whole process (every thread, user and system), which a machine busy with
// other work does not stretch as it stretches the wall clock.
double CpuMilliseconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool WriteFile(const std::string& path, const QByteArray& bytes) {
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), static_cast<std::size_t>(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && written;
}

QByteArray Sidecar(int rating, const char* label) {
    return "<?xpacket begin=\"\xef\xbb\xbf\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
           "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
           "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description rdf:about=\"\" "
           "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" xmlns:crs=\"http://ns.adobe.com/camera-raw-settings/1.0/\" "
           "crs:Version=\"15.0\" crs:Exposure2012=\"+0.35\" crs:Contrast2012=\"+12\" xmp:Rating=\"" +
           QByteArray::number(rating) + "\" xmp:Label=\"" + label + "\"/></rdf:RDF></x:xmpmeta>\n<?xpacket end=\"w\"?>";
}

QByteArray JpegRated(const QByteArray& jpeg, int rating) {
    // clang-format off
    const char exif[] = {
        '\xff', '\xe1', 0, 34, 'E', 'x', 'i', 'f', 0, 0,
        'M', 'M', 0, 42, 0, 0, 0, 8,
        0, 1, 0x47, 0x46, 0, 3, 0, 0, 0, 1, 0, static_cast<char>(rating), 0, 0,
        0, 0, 0, 0,
    };
    // clang-format on
    return jpeg.left(2) + QByteArray(exif, sizeof exif) + jpeg.mid(2);
}

int RatingOf(int i) {
    return i % 7 - 1; // -1 … 5
}

// Makes the set; read: the files whose bytes hold the ratings. Returns the pictures.
bool MakeSet(const std::string& root, bool sidecars, FilePathList& pictures, std::vector<std::string>& read) {
    static const char* const kLabels[] = {"Red", "Yellow", "Green", "Blue", "Purple"};
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPEG", 80))
        return false;
    char name[64];
    for (int folder = 0; folder < kFolders; ++folder) {
        std::snprintf(name, sizeof name, "/%s_%03d", sidecars ? "sidecars" : "camera", folder);
        const std::string folderPath = root + name;
        if (::mkdir(folderPath.c_str(), 0755) != 0)
            return false;
        for (int file = 0; file < kFilesPerFolder; ++file) {
            const int i = folder * kFilesPerFolder + file;
            std::snprintf(name, sizeof name, "/IMG_%06d", i);
            const std::string picture = folderPath + name + ".JPG";
            if (sidecars) {
                const std::string sidecar = folderPath + name + ".xmp";
                if (!WriteFile(picture, {}) || !WriteFile(sidecar, Sidecar(RatingOf(i), kLabels[i % 5])))
                    return false;
                read.push_back(sidecar);
            } else {
                if (!WriteFile(picture, JpegRated(jpeg, std::max(0, RatingOf(i)))))
                    return false;
                read.push_back(picture);
            }
            pictures.push_back(picture);
        }
    }
    return true;
}

struct Timed {
    double wall = 0;
    double cpu = 0;
};

Timed BareRead(const std::vector<std::string>& files, std::size_t& bytes) {
    std::vector<char> buffer(std::size_t{64} << 10);
    bytes = 0;
    const double cpu = CpuMilliseconds();
    const Clock::time_point start = Clock::now();
    for (const std::string& path : files) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        for (ssize_t got; (got = ::read(fd, buffer.data(), buffer.size())) > 0;)
            bytes += static_cast<std::size_t>(got);
        ::close(fd);
    }
    return {Milliseconds(Clock::now() - start), CpuMilliseconds() - cpu};
}

template <typename Work> Timed Time(Work work) {
    const double cpu = CpuMilliseconds();
    const Clock::time_point start = Clock::now();
    work();
    return {Milliseconds(Clock::now() - start), CpuMilliseconds() - cpu};
}

struct Medians {
    std::vector<double> wall, cpu;
    void Add(const Timed& t) {
        wall.push_back(t.wall);
        cpu.push_back(t.cpu);
    }
    double Wall() const { return Median(wall); }
    double Cpu() const { return Median(cpu); }
};

int Measure(const std::string& root, bool sidecars) {
    FilePathList pictures;
    std::vector<std::string> read;
    if (!MakeSet(root, sidecars, pictures, read)) {
        std::fprintf(stderr, "cannot create the files under %s\n", root.c_str());
        return 1;
    }
    Board board;
    for (const FilePath& path : pictures)
        board.List(kUnclassified).Append(path);
    ClassifyConditions conditions = ClassifyConditions::StartingAt(QDateTime::currentDateTime());
    conditions.sourceMode = ClassifyConditions::kOneList;
    conditions.sourceList = kUnclassified;
    conditions.targetMode = ClassifyConditions::kToChosen;
    conditions.targetChoice = 3;
    conditions.ratingOn = true;
    conditions.ratingChoice = 2; // ★3以上
    const ScannedLists lists = ListsToScan(board);

    Medians bare, first, again;
    std::size_t bytes = 0, taken = 0, takenAgain = 0;
    for (int run = 0; run < kRuns; ++run) {
        bare.Add(BareRead(read, bytes));
        DecisionCache decisions;
        first.Add(
            Time([&] { taken = FindMatches(lists, conditions, NativeCodePage(), nullptr, &decisions).taken.size(); }));
        again.Add(Time(
            [&] { takenAgain = FindMatches(lists, conditions, NativeCodePage(), nullptr, &decisions).taken.size(); }));
        if (takenAgain != taken)
            return 1;
    }
    std::size_t expected = 0;
    for (std::size_t i = 0; i < pictures.size(); ++i)
        expected += RatingOf(static_cast<int>(i)) >= 3;
    std::printf("%s: %zu entries, %zu taken by ★3以上 (expected %zu), %.1f MB read bare\n",
                sidecars ? "NAME.xmp sidecars" : "in-camera EXIF ratings", pictures.size(), taken, expected,
                static_cast<double>(bytes) / 1e6);
    const double files = static_cast<double>(pictures.size());
    const auto row = [&](const char* what, const Medians& m) {
        std::printf("  %-32s wall %8.1f ms (%5.1f x bare), processor %8.1f ms (%5.1f us a file, %5.1f x bare)\n", what,
                    m.Wall(), m.Wall() / bare.Wall(), m.Cpu(), m.Cpu() * 1000 / files, m.Cpu() / bare.Cpu());
    };
    row("bare read, one thread:", bare);
    row("classification, nothing known:", first);
    row("classification, run's cache:", again);
    return taken == expected ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    for (const bool sidecars : {true, false}) {
        // tmpfs, so that the figures are the program's and not the disk's; elsewhere when it is missing.
        auto temp = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/pelldrake_decisions_XXXXXX"));
        if (!temp->isValid())
            temp = std::make_unique<QTemporaryDir>();
        if (const int failed = Measure(QFile::encodeName(temp->path()).toStdString(), sidecars))
            return failed;
    }
    return 0;
}
