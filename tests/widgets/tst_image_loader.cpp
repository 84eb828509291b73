#include "support/embedded_previews.h"
#include "support/heic_with_nclx.h"
#include "support/library_images.h"
#include "support/temp_dir.h"
#include "support/test_images.h"
#include "thumbs/image_cache.h"
#include "thumbs/image_loader.h"

#include <QColorSpace>
#include <QDir>
#include <QImageReader>
#include <QPainter>
#include <QtTest>
#include <exiv2/exiv2.hpp>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace pelldrake;
using pelldrake::testing::TempDir;

namespace {

const QSize kPane(200, 260);

QRgb MeanColour(const QImage& image, const QRect& area) {
    qint64 red = 0, green = 0, blue = 0, count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            red += qRed(pixel);
            green += qGreen(pixel);
            blue += qBlue(pixel);
            ++count;
        }
    }
    return count == 0 ? 0 : qRgb(int(red / count), int(green / count), int(blue / count));
}

// Sets the process's peak of resident memory back to what it holds now.
bool ResetPeakMemory() {
    QFile file(QStringLiteral("/proc/self/clear_refs"));
    return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write("5") == 1;
}

long PeakResidentKiB() {
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

bool Near(QRgb a, QRgb b, int tolerance) {
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

std::string Jpeg(const TempDir& dir, const QString& name, QSize size, std::uint32_t seed = 1) {
    return testing::WriteImageFile(dir.Native(name), size, "jpeg", seed);
}

// A 400 x 300 picture with its red quarter top left, as kind says: a format ("heic", "avif",
// "jxl"), then what was done to it. Empty when the encoder failed.
std::string LibraryFile(const TempDir& dir, const QString& kind) {
    const QImage marked = testing::QuarterMarked(QSize(400, 300));
    const std::string png = dir.Write(QStringLiteral("marked.png"), testing::EncodeImage(marked, "png"));
    // The EXIF orientation 6: to be shown a quarter turn clockwise.
    const std::string turned = dir.Write(QStringLiteral("marked6.jpg"),
                                         testing::WithExifOrientation(testing::EncodeImage(marked, "jpeg", 95), 6));
    const QString format = kind.section(QLatin1Char(' '), 0, 0);
    const std::string out = dir.Native(QString(kind).replace(QLatin1Char(' '), QLatin1Char('_')) + "." + format);
    if (kind == "heic")
        return testing::HeicFrom(png, out);
    if (kind == "heic exif6")
        return testing::HeicFrom(turned, out);
    if (kind == "avif")
        return testing::AvifFrom(png, out);
    if (kind == "avif irot1")
        return testing::AvifFrom(png, out, {QStringLiteral("--irot"), QStringLiteral("1")});
    if (kind == "avif imir1")
        return testing::AvifFrom(png, out, {QStringLiteral("--imir"), QStringLiteral("1")});
    if (kind == "avif animated") {
        const std::string second = dir.Write(QStringLiteral("second.png"),
                                             testing::EncodeImage(testing::PhotoLikeImage(QSize(400, 300)), "png"));
        return testing::RunEncoder(QStringLiteral("avifenc"),
                                   {QStringLiteral("-s"), QStringLiteral("10"), QStringLiteral("--fps"),
                                    QStringLiteral("2"), QString::fromStdString(png), QString::fromStdString(second),
                                    QString::fromStdString(out)},
                                   out);
    }
    if (kind == "jxl")
        return testing::JxlFrom(png, out);
    if (kind == "jxl exif6")
        return testing::JxlFrom(turned, out);
    if (kind == "jxl exif6 pixels")
        return testing::JxlFrom(turned, out, {QStringLiteral("--lossless_jpeg=0")});
    return {};
}

// A picture as a phone makes it: a grid of 512 x 512 HEVC tiles, a Display P3 profile, EXIF and a
// thumbnail; 2566 x 3313.
std::string PhonePicture(const TempDir& dir) {
    const QString source = QStringLiteral(PELLDRAKE_SOURCE_DIR "/tests/data/phone/IMG_5195.HEIC");
    const std::string copy = dir.Native(QStringLiteral("IMG_5195.HEIC"));
    return QFile::copy(source, QFile::decodeName(QByteArray::fromStdString(copy))) ? copy : std::string();
}

// A picture large enough that the loader gives its decode up when the user moves on (over 64 MiB
// of decoding or 16 megapixels), in a format of the outside libraries.
std::string LargeLibraryFile(const TempDir& dir, const QString& kind) {
    if (kind == "heic")
        return PhonePicture(dir);
    const std::string png = testing::WriteImageFile(dir.Native("large.png"), QSize(3600, 2400), "png");
    if (kind == "avif")
        return testing::AvifFrom(png, dir.Native("large.avif"));
    return testing::JxlFrom(png, dir.Native("large.jxl"), {QStringLiteral("-e"), QStringLiteral("1")});
}

// The mean of the differences of every channel of every pixel of two pictures of one size.
double MeanDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull())
        return 255;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * a.width() * a.height());
}

// The JPEG file with the EXIF tags a camera set to Adobe RGB writes instead of a profile.
bool DeclareAdobeRgbInExif(const std::string& jpeg) {
    try {
        auto image = Exiv2::ImageFactory::open(jpeg);
        image->readMetadata();
        image->exifData()["Exif.Photo.ColorSpace"] = std::uint16_t{0xFFFF};
        image->exifData()["Exif.Iop.InteroperabilityIndex"] = "R03";
        image->writeMetadata();
        return true;
    } catch (...) {
        return false;
    }
}

// Collects what the loader hands back to one requester.
struct Receiver {
    QObject requester;
    std::vector<QImage> images;

    ImageLoader::Delivery Deliver() {
        return [this](const QImage& image) { images.push_back(image); };
    }
};

} // namespace

class TestImageLoader : public QObject {
    Q_OBJECT

private slots:
    // Fitting and decoding
    void fitSize_data();
    void fitSize();
    void decodeFitsKeepingAspect_data();
    void decodeFitsKeepingAspect();
    void decodeAppliesExifOrientation();
    void decodeGivesNullForWhatIsNoImage_data();
    void decodeGivesNullForWhatIsNoImage();
    void decodeOpensNameThatIsNotUtf8();
    void decodeHoldsNeitherCommentsNorAFullSizeCopy();
    // HEIC, AVIF and JPEG XL, which Qt cannot read.
    void libraryFormatsDecodeFittedAndTurned_data();
    void libraryFormatsDecodeFittedAndTurned();

    // Cache
    void cacheEvictsLeastRecentlyUsedWithinBudget();
    void cacheKeepsItsContentsWhenAnImageExceedsTheBudget();
    void cacheDropsImageOfChangedFile();
    void fileStampKeepsFarFutureTimesApart();

    // Scheduling
    void cachedRequestAnswersAtOnce();
    void smallerRequestIsScaledFromALargerPictureInMemory();
    void readAheadLeavesAWorkerForTheShownFile();
    void unreadablePathAnswersAtOnce();
    void supersededRequestIsNeitherDeliveredNorDecoded();
    void shownRequestsGoFirstNewestFirst();
    void newReadAheadReplacesOnlyItsOwnQueuedEntries();
    void loaderStaysWithinBudget();
    void destroyedRequesterGetsNothing();
    void editedFileIsDecodedAgain();

    // Hostile files
    void pictureBeyondTheBudgetIsRefusedFromItsHeader();
    void shownFileNeverWaitsBehindReadAhead();
    void largeDecodeNobodyWantsIsAbandoned();
    void libraryFormatsClaimingHugeSizesAreRefusedFromTheirHeaders();
    void largeJxlDecodeNobodyWantsIsAbandoned();
    void givenUpLibraryDecodesLeaveTheNextPicture_data();
    void givenUpLibraryDecodesLeaveTheNextPicture();

    // Colours
    void phonePictureShowsAsItsDecoderMakesIt();
    void photographShowsTheSameInEveryColourSpace();
};

void TestImageLoader::fitSize_data() {
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QSize>("target");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("landscape into pane") << QSize(6000, 4000) << kPane << QSize(200, 133);
    QTest::newRow("portrait into pane") << QSize(3000, 6000) << kPane << QSize(130, 260);
    QTest::newRow("small is enlarged") << QSize(50, 40) << kPane << QSize(200, 160);
    QTest::newRow("same shape") << QSize(400, 520) << kPane << QSize(200, 260);
    QTest::newRow("hair-thin keeps a pixel") << QSize(100000, 1) << kPane << QSize(200, 1);
    QTest::newRow("empty source") << QSize(0, 10) << kPane << QSize();
    QTest::newRow("empty target") << QSize(100, 100) << QSize(0, 0) << QSize();
}

void TestImageLoader::fitSize() {
    QFETCH(QSize, source);
    QFETCH(QSize, target);
    QFETCH(QSize, expected);
    QCOMPARE(ImageLoader::FitSize(source, target), expected);
}

void TestImageLoader::decodeFitsKeepingAspect_data() {
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("jpeg landscape") << QByteArray("jpeg") << QSize(1200, 800) << QSize(200, 133);
    QTest::newRow("jpeg portrait") << QByteArray("jpeg") << QSize(600, 1200) << QSize(130, 260);
    QTest::newRow("png enlarged") << QByteArray("png") << QSize(50, 40) << QSize(200, 160);
    QTest::newRow("bmp square") << QByteArray("bmp") << QSize(800, 800) << QSize(200, 200);
}

void TestImageLoader::decodeFitsKeepingAspect() {
    QFETCH(QByteArray, format);
    QFETCH(QSize, source);
    QFETCH(QSize, expected);
    TempDir dir;
    const QImage original = testing::PhotoLikeImage(source);
    const std::string path = dir.Native("picture." + QString::fromLatin1(format));
    QVERIFY(testing::WriteNativeFile(path, testing::EncodeImage(original, format.constData())));

    const QImage decoded = ImageLoader::Decode(path, kPane);
    QCOMPARE(decoded.size(), expected);
    QVERIFY2(decoded.format() == QImage::Format_RGB32 || decoded.format() == QImage::Format_ARGB32_Premultiplied,
             "decoded images must paint without conversion");
    // The same picture, not merely the right size: the overall colour survives the scaling.
    const QImage reference = original.scaled(expected, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QVERIFY(Near(MeanColour(decoded, decoded.rect()), MeanColour(reference, reference.rect()), 6));
}

void TestImageLoader::decodeAppliesExifOrientation() {
    TempDir dir;
    // Stored landscape with a red left half and a blue right half; the orientation tag turns it
    // a quarter clockwise, so it shows as a portrait with red on top.
    QImage stored = testing::PhotoLikeImage(QSize(400, 200));
    {
        QPainter painter(&stored);
        painter.setOpacity(0.7);
        painter.fillRect(QRect(0, 0, 200, 200), Qt::red);
        painter.fillRect(QRect(200, 0, 200, 200), Qt::blue);
    }
    const std::string path = dir.Native("turned.jpg");
    QVERIFY(testing::WriteNativeFile(path, testing::WithExifOrientation(testing::EncodeImage(stored, "jpeg"), 6)));
    QImageReader check(QString::fromLocal8Bit(path.c_str()));
    QCOMPARE(check.transformation(), QImageIOHandler::TransformationRotate90);

    // A wide target: fitting the stored shape instead of the shown one would give 200 x 100,
    // which turned is 100 x 200 and overflows the target.
    const QImage decoded = ImageLoader::Decode(path, QSize(200, 100));
    QCOMPARE(decoded.size(), QSize(50, 100));
    const QRgb top = MeanColour(decoded, QRect(0, 5, 50, 40));
    const QRgb bottom = MeanColour(decoded, QRect(0, 55, 50, 40));
    QVERIFY2(qRed(top) > qBlue(top) + 60, "the stored left half belongs on top");
    QVERIFY2(qBlue(bottom) > qRed(bottom) + 60, "the stored right half belongs below");
}

void TestImageLoader::decodeGivesNullForWhatIsNoImage_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing file") << "missing";
    QTest::newRow("text named .jpg") << "text";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("folder") << "folder";
    QTest::newRow("fifo") << "fifo";
    QTest::newRow("empty path") << "empty path";
    QTest::newRow("HEIC cut short") << "cut heic";
    QTest::newRow("AVIF cut short") << "cut avif";
    QTest::newRow("JPEG XL cut short") << "cut jxl";
}

void TestImageLoader::decodeGivesNullForWhatIsNoImage() {
    QFETCH(QString, kind);
    TempDir dir;
    std::string path = dir.Native("thing.jpg");
    if (kind == "text")
        dir.Write("thing.jpg", "This is a note, not a picture.\n");
    else if (kind == "empty")
        dir.Write("thing.jpg", QByteArray());
    else if (kind == "folder")
        QVERIFY(QDir(dir.path()).mkdir("thing.jpg"));
    else if (kind == "fifo")
        QCOMPARE(::mkfifo(path.c_str(), 0600), 0); // opening it for reading must not wait for a writer
    else if (kind == "empty path")
        path.clear();
    else if (kind.startsWith("cut ")) {
        QFile whole(QString::fromStdString(LibraryFile(dir, kind.mid(4))));
        QVERIFY(whole.open(QIODevice::ReadOnly));
        const QByteArray bytes = whole.readAll();
        dir.Write("thing.jpg", bytes.left(bytes.size() / 2));
    }

    QVERIFY(ImageLoader::Decode(path, kPane).isNull());

    ImageLoader loader;
    Receiver receiver;
    const std::optional<QImage> answer = loader.Request(&receiver.requester, path, kPane, receiver.Deliver());
    if (!answer)
        QTRY_COMPARE(receiver.images.size(), std::size_t{1});
    QVERIFY(answer ? answer->isNull() : receiver.images.front().isNull());
    QCOMPARE(loader.cacheCount(), 0);
}

void TestImageLoader::decodeOpensNameThatIsNotUtf8() {
    TempDir dir;
    const std::string path = QFile::encodeName(dir.path()).toStdString() + "/\xff\xfe.jpg";
    const testing::RemoveAtEnd removal{path};
    QVERIFY(!testing::WriteImageFile(path, QSize(300, 200)).empty());

    QCOMPARE(ImageLoader::Decode(path, kPane).size(), QSize(200, 133));

    ImageLoader loader;
    Receiver receiver;
    QVERIFY(!loader.Request(&receiver.requester, path, kPane, receiver.Deliver()));
    QTRY_COMPARE(receiver.images.size(), std::size_t{1});
    QCOMPARE(receiver.images.front().size(), QSize(200, 133));
    QVERIFY(loader.isCached(path, kPane));
}

void TestImageLoader::decodeHoldsNeitherCommentsNorAFullSizeCopy() {
    // Qt's reader keeps every comment in memory, as the picture's description: 400 MB of them
    // took gigabytes. Here a few stand for them.
    TempDir dir;
    QFile plain(QString::fromStdString(Jpeg(dir, "plain.jpg", QSize(320, 240))));
    QVERIFY(plain.open(QIODevice::ReadOnly));
    const QByteArray bytes = plain.readAll();
    const QByteArray comment = QByteArray("\xFF\xFE\x00\x0B", 4) + "comment!!";
    const std::string path = dir.Write("commented.jpg", bytes.left(2) + comment.repeated(3) + bytes.mid(2));
    QVERIFY(!QImageReader(QString::fromStdString(path)).read().text().isEmpty());
    const QImage decoded = ImageLoader::Decode(path, kPane);
    QCOMPARE(decoded.size(), QSize(200, 150));
    QVERIFY2(decoded.text().isEmpty(), qPrintable(decoded.text()));

    // An 8000 x 8000 grey PNG of 75 KB is 61 MiB of one-byte pixels once decoded; shrunk through a
    // full-size 32-bit copy, it took 244 MiB more.
    const std::string grey = dir.Write("grey.png", testing::BlankGreyPng(QSize(8000, 8000)));
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the sanitizer holds freed memory back for a while: the peak says nothing here");
#endif
    if (!ResetPeakMemory())
        QSKIP("the system does not let the process reset its peak of resident memory");
    const long before = PeakResidentKiB();
    QCOMPARE(ImageLoader::Decode(grey, kPane).size(), QSize(200, 200));
    const long grown = PeakResidentKiB() - before;
    QVERIFY2(grown < 160 * 1024, qPrintable(QStringLiteral("the decode's peak: %1 MiB").arg(grown / 1024)));
}

void TestImageLoader::libraryFormatsDecodeFittedAndTurned_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QSize>("shown");
    QTest::addColumn<int>("redQuarter");
    // Stored 400 x 300, the red quarter top left (0); 1 is top right, 2 bottom left.
    QTest::newRow("HEIC") << "heic" << QSize(200, 150) << 0;
    // libheif 1.15's encoder keeps the EXIF orientation but writes no transformation: the
    // file is shown as stored, as every reader following the format does.
    QTest::newRow("HEIC with EXIF orientation 6, no transformation") << "heic exif6" << QSize(200, 150) << 0;
    QTest::newRow("AVIF") << "avif" << QSize(200, 150) << 0;
    QTest::newRow("AVIF turned a quarter anticlockwise") << "avif irot1" << QSize(195, 260) << 2;
    QTest::newRow("AVIF mirrored") << "avif imir1" << QSize(200, 150) << 1;
    QTest::newRow("AVIF image sequence: its first picture") << "avif animated" << QSize(200, 150) << 0;
    QTest::newRow("JPEG XL") << "jxl" << QSize(200, 150) << 0;
    QTest::newRow("JPEG XL from a JPEG with EXIF orientation 6") << "jxl exif6" << QSize(195, 260) << 1;
    QTest::newRow("the same, re-encoded from its pixels") << "jxl exif6 pixels" << QSize(195, 260) << 1;
}

void TestImageLoader::libraryFormatsDecodeFittedAndTurned() {
    QFETCH(QString, kind);
    QFETCH(QSize, shown);
    QFETCH(int, redQuarter);
    TempDir dir;
    const std::string path = LibraryFile(dir, kind);
    QVERIFY2(!path.empty(), "the encoder failed; scripts/setup.sh installs it");
    QVERIFY2(QImageReader(QString::fromStdString(path)).read().isNull(), "Qt reads it: the test proves nothing");

    const QImage decoded = ImageLoader::Decode(path, kPane);
    QCOMPARE(decoded.size(), shown);
    // avifenc keeps an opaque alpha channel in a sequence, which is painted as it is.
    QCOMPARE(decoded.format(), kind.endsWith("animated") ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    QCOMPARE(testing::RedQuarter(decoded), redQuarter);
    // Enlarged to a target larger than the picture, as Qt's readers do.
    QCOMPARE(ImageLoader::Decode(path, QSize(800, 800)).size(), ImageLoader::FitSize(shown, QSize(800, 800)));
}

void TestImageLoader::cacheEvictsLeastRecentlyUsedWithinBudget() {
    const QImage image = testing::PhotoLikeImage(QSize(100, 100)); // 40,000 bytes
    const FileStamp stamp{1, 1, 100, 5};
    const auto key = [](const char* name) { return ImageKey{name, kPane}; };
    ImageCache cache(3 * image.sizeInBytes());
    cache.Insert(key("a"), stamp, image);
    cache.Insert(key("b"), stamp, image);
    cache.Insert(key("c"), stamp, image);
    QCOMPARE(cache.bytes(), 3 * image.sizeInBytes());

    QVERIFY(cache.Find(key("a"), stamp)); // a is now the most recently used
    cache.Insert(key("d"), stamp, image);

    QVERIFY(!cache.Contains(key("b")));
    QVERIFY(cache.Contains(key("a")));
    QVERIFY(cache.Contains(key("c")));
    QVERIFY(cache.Contains(key("d")));
    QCOMPARE(cache.count(), 3);
    QCOMPARE(cache.bytes(), 3 * image.sizeInBytes());
    QVERIFY(!cache.Contains(ImageKey{"a", QSize(400, 300)})); // another size is another entry

    cache.Insert(key("a"), stamp, image); // replacing an entry is not counted twice
    QCOMPARE(cache.bytes(), 3 * image.sizeInBytes());
}

void TestImageLoader::cacheKeepsItsContentsWhenAnImageExceedsTheBudget() {
    const QImage small = testing::PhotoLikeImage(QSize(100, 100));
    const QImage huge = testing::PhotoLikeImage(QSize(400, 400));
    const FileStamp stamp{1, 1, 100, 5};
    ImageCache cache(2 * small.sizeInBytes());
    cache.Insert(ImageKey{"a", kPane}, stamp, small);
    cache.Insert(ImageKey{"huge", kPane}, stamp, huge);
    QVERIFY(!cache.Contains(ImageKey{"huge", kPane}));
    QVERIFY(cache.Contains(ImageKey{"a", kPane}));
    QCOMPARE(cache.bytes(), small.sizeInBytes());
}

void TestImageLoader::cacheDropsImageOfChangedFile() {
    const QImage image = testing::PhotoLikeImage(QSize(100, 100));
    const ImageKey key{"a", kPane};
    ImageCache cache(10 * image.sizeInBytes());
    cache.Insert(key, FileStamp{1, 1, 100, 5}, image);
    QVERIFY(!cache.Find(key, FileStamp{1, 1, 100, 6}));
    QVERIFY(!cache.Contains(key));
    QCOMPARE(cache.bytes(), 0);
}

void TestImageLoader::fileStampKeepsFarFutureTimesApart() {
    // One count of nanoseconds in 64 bits wraps these two times (the year 1970 and one in 2554)
    // onto the same number.
    struct stat early {};
    struct stat late {};
    late.st_mtim.tv_sec = 18'446'744'073;
    late.st_mtim.tv_nsec = 709'551'616;
    QVERIFY(FileStamp::FromStat(early) != FileStamp::FromStat(late));

    TempDir dir;
    const FilePath path = dir.Write("future.png", testing::EncodeImage(testing::PhotoLikeImage(QSize(20, 10)), "png"));
    const timespec times[2] = {{0, UTIME_OMIT}, {13'569'465'600, 0}}; // 2400-01-01
    QVERIFY(::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0);
    QCOMPARE(FileStamp::Of(path)->modifiedSeconds, std::int64_t{13'569'465'600});
}

void TestImageLoader::cachedRequestAnswersAtOnce() {
    TempDir dir;
    const std::string path = Jpeg(dir, "a.jpg", QSize(800, 600));
    ImageLoader loader;
    Receiver first;
    QVERIFY(!loader.Request(&first.requester, path, kPane, first.Deliver()));
    QTRY_COMPARE(first.images.size(), std::size_t{1});

    Receiver second;
    const std::optional<QImage> answer = loader.Request(&second.requester, path, kPane, second.Deliver());
    QVERIFY(answer);
    QCOMPARE(answer->size(), QSize(200, 150));
    QCOMPARE(loader.pendingCount(), 0);
    QCoreApplication::processEvents();
    QVERIFY2(second.images.empty(), "an answer given at once is not delivered a second time");
}

void TestImageLoader::smallerRequestIsScaledFromALargerPictureInMemory() {
    TempDir dir;
    const std::string path = Jpeg(dir, "a.jpg", QSize(800, 600));
    ImageLoader loader;
    Receiver pane;
    QVERIFY(!loader.Request(&pane.requester, path, kPane, pane.Deliver()));
    QTRY_COMPARE(pane.images.size(), std::size_t{1});

    // The sorted file moves to a smaller pane: no second decode.
    Receiver classPane;
    const std::optional<QImage> smaller =
        loader.Request(&classPane.requester, path, QSize(100, 100), classPane.Deliver());
    QVERIFY(smaller);
    QCOMPARE(smaller->size(), QSize(100, 75));
    QCOMPARE(loader.pendingCount(), 0);
    // Nor is it decoded ahead for a smaller pane (the enlarge window comparing the pane's next files):
    // the request will scale it.
    QObject reader;
    loader.ReadAhead(&reader, {path}, QSize(120, 120));
    QCOMPARE(loader.pendingCount(), 0);
    QVERIFY(loader.Request(&classPane.requester, path, QSize(120, 120), classPane.Deliver()));
    // Nor when it was queued while the larger picture was still decoding.
    const std::string next = Jpeg(dir, "b.jpg", QSize(1600, 1200), 2);
    ImageLoader oneAhead(ImageLoader::kDefaultCacheBudget, 2);
    QObject window;
    oneAhead.ReadAhead(&window, {next}, QSize(640, 480));
    oneAhead.ReadAhead(&reader, {next}, QSize(120, 120));
    QTRY_COMPARE(oneAhead.pendingCount(), 0);
    QVERIFY(oneAhead.isCached(next, QSize(640, 480)));
    QVERIFY(!oneAhead.isCached(next, QSize(120, 120)));

    // A larger one needs pixels the memory does not have.
    Receiver enlarged;
    QVERIFY(!loader.Request(&enlarged.requester, path, QSize(640, 480), enlarged.Deliver()));
    QTRY_COMPARE(enlarged.images.size(), std::size_t{1});
    QCOMPARE(enlarged.images.front().size(), QSize(640, 480));
}

void TestImageLoader::readAheadLeavesAWorkerForTheShownFile() {
    TempDir dir;
    std::vector<std::string> ahead;
    for (int i = 0; i < 4; ++i)
        ahead.push_back(Jpeg(dir, QString("ahead%1.jpg").arg(i), QSize(1600, 1200), i));
    const std::string shown = Jpeg(dir, "shown.jpg", QSize(600, 400), 9);
    ImageLoader loader(ImageLoader::kDefaultCacheBudget, 2);
    QObject reader;
    loader.ReadAhead(&reader, ahead, kPane);
    QCOMPARE(loader.runningCount(), 1); // the second worker stays free
    Receiver pane;
    QVERIFY(!loader.Request(&pane.requester, shown, kPane, pane.Deliver()));
    QCOMPARE(loader.runningCount(), 2); // the shown file starts at once
    QTRY_COMPARE(pane.images.size(), std::size_t{1});
    QTRY_COMPARE(loader.pendingCount(), 0);
    for (const std::string& path : ahead)
        QVERIFY(loader.isCached(path, kPane));
}

void TestImageLoader::unreadablePathAnswersAtOnce() {
    TempDir dir;
    ImageLoader loader;
    Receiver receiver;
    const std::optional<QImage> answer =
        loader.Request(&receiver.requester, dir.Native("gone.jpg"), kPane, receiver.Deliver());
    QVERIFY(answer);
    QVERIFY(answer->isNull());
    QCOMPARE(loader.pendingCount(), 0);
}

void TestImageLoader::supersededRequestIsNeitherDeliveredNorDecoded() {
    TempDir dir;
    const std::string a = Jpeg(dir, "a.jpg", QSize(1200, 800));
    const std::string b = Jpeg(dir, "b.jpg", QSize(800, 800));
    const std::string c = Jpeg(dir, "c.jpg", QSize(400, 800));
    ImageLoader loader(ImageLoader::kDefaultCacheBudget, 1);
    Receiver receiver;
    QVERIFY(!loader.Request(&receiver.requester, a, kPane, receiver.Deliver())); // starts at once
    QVERIFY(!loader.Request(&receiver.requester, b, kPane, receiver.Deliver())); // waits, then is passed over
    QVERIFY(!loader.Request(&receiver.requester, c, kPane, receiver.Deliver()));
    QTRY_COMPARE(loader.pendingCount(), 0);

    QCOMPARE(receiver.images.size(), std::size_t{1});
    QCOMPARE(receiver.images.front().size(), QSize(130, 260));
    QVERIFY2(!loader.isCached(b, kPane), "a request passed over before it started is not decoded");
    QVERIFY2(loader.isCached(a, kPane), "a decode already running is kept for later");
}

void TestImageLoader::shownRequestsGoFirstNewestFirst() {
    TempDir dir;
    std::vector<std::string> ahead;
    for (int i = 0; i < 3; ++i)
        ahead.push_back(Jpeg(dir, QString("ahead%1.jpg").arg(i), QSize(600, 400), i));
    const std::string a = Jpeg(dir, "a.jpg", QSize(600, 400), 10);
    const std::string b = Jpeg(dir, "b.jpg", QSize(600, 400), 11);
    const std::string c = Jpeg(dir, "c.jpg", QSize(600, 400), 12);
    ImageLoader loader(ImageLoader::kDefaultCacheBudget, 1);
    QObject reader;
    loader.ReadAhead(&reader, ahead, kPane); // the first starts at once, the others wait

    std::vector<std::string> order;
    QObject shownA, shownB, shownC;
    const auto record = [&order, &loader, &ahead](std::string name) {
        return [&order, &loader, &ahead, name](const QImage&) {
            order.push_back(name);
            QVERIFY2(!loader.isCached(ahead.back(), kPane), "read-ahead must wait for shown requests");
        };
    };
    QVERIFY(!loader.Request(&shownA, a, kPane, record("a")));
    QVERIFY(!loader.Request(&shownB, b, kPane, record("b")));
    QVERIFY(!loader.Request(&shownC, c, kPane, record("c")));
    QTRY_COMPARE(loader.pendingCount(), 0);

    QCOMPARE(order, (std::vector<std::string>{"c", "b", "a"}));
    for (const std::string& path : ahead)
        QVERIFY(loader.isCached(path, kPane));
}

void TestImageLoader::newReadAheadReplacesOnlyItsOwnQueuedEntries() {
    TempDir dir;
    std::vector<std::string> first;
    for (int i = 0; i < 6; ++i)
        first.push_back(Jpeg(dir, QString("first%1.jpg").arg(i), QSize(600, 400), i));
    const std::string other = Jpeg(dir, "other.jpg", QSize(600, 400), 20);
    const std::string next = Jpeg(dir, "next.jpg", QSize(600, 400), 21);
    ImageLoader loader(ImageLoader::kDefaultCacheBudget, 1);
    QObject pane, otherPane;
    loader.ReadAhead(&pane, first, kPane);
    loader.ReadAhead(&otherPane, {other}, kPane);
    loader.ReadAhead(&pane, {next}, kPane);
    QTRY_COMPARE(loader.pendingCount(), 0);

    QVERIFY2(loader.isCached(first.front(), kPane), "the entry already running finishes");
    for (std::size_t i = 1; i < first.size(); ++i)
        QVERIFY2(!loader.isCached(first[i], kPane), "replaced read-ahead is not decoded");
    QVERIFY(loader.isCached(next, kPane));
    QVERIFY2(loader.isCached(other, kPane), "another pane's read-ahead is left alone");
}

void TestImageLoader::loaderStaysWithinBudget() {
    TempDir dir;
    const QSize target(100, 100);
    const std::int64_t entryBytes = QImage(QSize(100, 75), QImage::Format_RGB32).sizeInBytes();
    ImageLoader loader(2 * entryBytes + entryBytes / 2);
    Receiver receiver;
    std::vector<std::string> paths;
    for (int i = 0; i < 8; ++i) {
        paths.push_back(Jpeg(dir, QString("p%1.jpg").arg(i), QSize(400, 300), i));
        QVERIFY(!loader.Request(&receiver.requester, paths.back(), target, receiver.Deliver()));
        QTRY_COMPARE(receiver.images.size(), std::size_t(i + 1));
        QVERIFY(loader.cacheBytes() <= loader.cacheBudget());
    }
    QCOMPARE(loader.cacheCount(), 2);
    QVERIFY(loader.isCached(paths[7], target));
    QVERIFY(loader.isCached(paths[6], target));
    QVERIFY(!loader.isCached(paths[5], target));
}

void TestImageLoader::destroyedRequesterGetsNothing() {
    TempDir dir;
    const std::string path = Jpeg(dir, "a.jpg", QSize(1200, 800));
    ImageLoader loader;
    bool delivered = false;
    auto requester = std::make_unique<QObject>();
    QVERIFY(!loader.Request(requester.get(), path, kPane, [&delivered](const QImage&) { delivered = true; }));
    requester.reset();
    QTRY_COMPARE(loader.pendingCount(), 0);
    QVERIFY(!delivered);
}

void TestImageLoader::editedFileIsDecodedAgain() {
    TempDir dir;
    const std::string path = Jpeg(dir, "a.jpg", QSize(800, 400));
    ImageLoader loader;
    Receiver receiver;
    QVERIFY(!loader.Request(&receiver.requester, path, kPane, receiver.Deliver()));
    QTRY_COMPARE(receiver.images.size(), std::size_t{1});
    QCOMPARE(receiver.images.front().size(), QSize(200, 100));

    QVERIFY(!testing::WriteImageFile(path, QSize(400, 800), "jpeg", 7).empty());
    Receiver again;
    QVERIFY2(!loader.Request(&again.requester, path, kPane, again.Deliver()), "the old picture must not be served");
    QTRY_COMPARE(again.images.size(), std::size_t{1});
    QCOMPARE(again.images.front().size(), QSize(130, 260));
}

void TestImageLoader::pictureBeyondTheBudgetIsRefusedFromItsHeader() {
    TempDir dir;
    // Progressive: libjpeg keeps every coefficient, 5 GB for these 2 KB. Baseline: 4 gigapixels.
    const std::string progressive = dir.Write("bomb.jpg", testing::JpegClaiming(QSize(30000, 30000), true));
    const std::string baseline = dir.Write("wide.jpg", testing::JpegClaiming(QSize(65000, 65000), false));
    const std::string fine = dir.Write("fine.jpg", testing::JpegClaiming(QSize(64, 64), true));
    QVERIFY(ImageLoader::Decode(progressive, kPane).isNull());
    QVERIFY(ImageLoader::Decode(baseline, kPane).isNull());
    QCOMPARE(ImageLoader::Decode(fine, kPane).size(), QSize(200, 200));

    ImageLoader loader;
    Receiver receiver;
    QVERIFY(!loader.Request(&receiver.requester, progressive, kPane, receiver.Deliver()));
    QTRY_COMPARE(receiver.images.size(), std::size_t{1});
    QVERIFY(receiver.images.front().isNull());
    const std::optional<ImageLoader::Refusal> why = loader.RefusalOf(progressive);
    QVERIFY(why);
    QCOMPARE(why->stored, QSize(30000, 30000));
    QVERIFY(why->bytes > (std::int64_t{1} << 30));
    // The refusal comes back before the look for an embedded preview may have ended.
    QTRY_COMPARE(loader.pendingCount(), 0);
    QVERIFY2(loader.Request(&receiver.requester, progressive, kPane, receiver.Deliver()),
             "known at once the next time");
    QVERIFY(!loader.RefusalOf(fine));
}

void TestImageLoader::shownFileNeverWaitsBehindReadAhead() {
    TempDir dir;
    const std::string slow = dir.Write("slow.png", testing::BlankGreyPng(QSize(6000, 6000)));
    const std::string shown = Jpeg(dir, "shown.jpg", QSize(300, 200));
    ImageLoader loader(ImageLoader::kDefaultCacheBudget, 1);
    QObject reader;
    loader.ReadAhead(&reader, {slow}, kPane); // takes the only worker
    Receiver pane;
    bool behind = false;
    QVERIFY(!loader.Request(&pane.requester, shown, kPane, [&](const QImage& image) {
        behind = loader.isCached(slow, kPane);
        pane.images.push_back(image);
    }));
    QTRY_COMPARE(pane.images.size(), std::size_t{1});
    QVERIFY2(!behind, "the shown file waited for the read-ahead");
    QTRY_COMPARE(loader.pendingCount(), 0);
    QVERIFY(loader.isCached(slow, kPane));
}

void TestImageLoader::largeDecodeNobodyWantsIsAbandoned() {
    TempDir dir;
    const std::string slow = dir.Write("slow.png", testing::BlankGreyPng(QSize(6000, 6000)));
    const std::string next = Jpeg(dir, "next.jpg", QSize(300, 200));
    ImageLoader loader(ImageLoader::kDefaultCacheBudget, 1);
    Receiver pane;
    QVERIFY(!loader.Request(&pane.requester, slow, kPane, pane.Deliver()));
    QVERIFY(!loader.Request(&pane.requester, next, kPane, pane.Deliver())); // the user moved on
    QTRY_COMPARE(pane.images.size(), std::size_t{1});
    QCOMPARE(pane.images.front().size(), QSize(200, 133));
    QTRY_COMPARE(loader.pendingCount(), 0);
    QVERIFY2(!loader.isCached(slow, kPane), "the large decode ran to its end");

    // Wanted again, it is decoded anew.
    QVERIFY(!loader.Request(&pane.requester, slow, kPane, pane.Deliver()));
    QTRY_COMPARE(pane.images.size(), std::size_t{2});
    QCOMPARE(pane.images.back().size(), QSize(200, 200));
}

void TestImageLoader::libraryFormatsClaimingHugeSizesAreRefusedFromTheirHeaders() {
    TempDir dir;
    QFile small(QString::fromStdString(
        testing::HeicFrom(dir.Write("small.png", testing::EncodeImage(testing::QuarterMarked(QSize(400, 300)), "png")),
                          dir.Native("small.heic"), {QStringLiteral("-t"), QStringLiteral("64")})));
    QVERIFY(small.open(QIODevice::ReadOnly));
    const std::string heic =
        dir.Write("bomb.heic", testing::HeifClaiming(small.readAll(), QSize(400, 300), QSize(30000, 30000)));
    const std::string jxl = dir.Write("bomb.jxl", testing::JxlHeaderClaiming(QSize(60000, 60000)));
    // So large that its cost would not fit in 64 bits.
    const std::string widest = dir.Write("widest.jxl", testing::JxlHeaderClaiming(QSize(1 << 30, 1 << 30)));

    // Shown by its thumbnail, as a refused JPEG by its EXIF thumbnail; the JPEG XL has none.
    QCOMPARE(ImageLoader::Decode(heic, kPane).size(), QSize(64, 48));
    QVERIFY(ImageLoader::Decode(jxl, kPane).isNull());
    ImageLoader loader;
    for (const auto& [path, claimed] : {std::pair{heic, QSize(30000, 30000)}, std::pair{jxl, QSize(60000, 60000)},
                                        std::pair{widest, QSize(1 << 30, 1 << 30)}}) {
        Receiver receiver;
        QVERIFY(!loader.Request(&receiver.requester, path, kPane, receiver.Deliver()));
        QTRY_COMPARE(receiver.images.size(), std::size_t{1});
        const std::optional<ImageLoader::Refusal> why = loader.RefusalOf(path);
        QVERIFY(why);
        QCOMPARE(why->stored, claimed);
    }
}

void TestImageLoader::largeJxlDecodeNobodyWantsIsAbandoned() {
    // libjxl decodes what it is given at once: only a file read a piece at a time can be stopped.
    TempDir dir;
    const std::string slow = testing::JxlFrom(testing::WriteImageFile(dir.Native("big.png"), QSize(2400, 2000), "png"),
                                              dir.Native("slow.jxl"), {QStringLiteral("-e"), QStringLiteral("1")});
    QVERIFY(!slow.empty());
    const std::string next = Jpeg(dir, "next.jpg", QSize(300, 200));
    ImageLoader loader(ImageLoader::kDefaultCacheBudget, 1);
    Receiver pane;
    QVERIFY(!loader.Request(&pane.requester, slow, kPane, pane.Deliver()));
    QVERIFY(!loader.Request(&pane.requester, next, kPane, pane.Deliver())); // the user moved on
    QTRY_COMPARE(pane.images.size(), std::size_t{1});
    QTRY_COMPARE_WITH_TIMEOUT(loader.pendingCount(), 0, 30000);
    QVERIFY2(!loader.isCached(slow, kPane), "the JPEG XL decode ran to its end");

    QVERIFY(!loader.Request(&pane.requester, slow, kPane, pane.Deliver()));
    QTRY_COMPARE_WITH_TIMEOUT(pane.images.size(), std::size_t{2}, 30000);
    QCOMPARE(pane.images.back().size(), ImageLoader::FitSize(QSize(2400, 2000), kPane));
}

void TestImageLoader::givenUpLibraryDecodesLeaveTheNextPicture_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("phone HEIC") << "heic";
    QTest::newRow("AVIF") << "avif";
    QTest::newRow("JPEG XL") << "jxl";
}

void TestImageLoader::givenUpLibraryDecodesLeaveTheNextPicture() {
    // libheif aborts the whole process when one of its reads fails after the parse: the user
    // stepping past a picture while it decodes must never make one fail. At several moments of
    // the decode: before it starts, in the parse, in the middle.
    QFETCH(QString, kind);
    TempDir dir;
    const std::string large = LargeLibraryFile(dir, kind);
    QVERIFY2(!large.empty(), "the encoder failed; scripts/setup.sh installs it");
    ImageLoader loader(ImageLoader::kDefaultCacheBudget, 2);
    Receiver pane;
    std::size_t shown = 0;
    for (const int after : {0, 5, 30, 80}) {
        const std::string next = Jpeg(dir, QStringLiteral("next%1.jpg").arg(after), QSize(300, 200), after + 1);
        if (const std::optional<QImage> now = loader.Request(&pane.requester, large, kPane, pane.Deliver()))
            pane.images.push_back(*now); // a decode that ran to its end before
        shown = pane.images.size();
        QTest::qWait(after);
        QVERIFY(!loader.Request(&pane.requester, next, kPane, pane.Deliver())); // the next key
        QTRY_COMPARE_WITH_TIMEOUT(pane.images.size(), shown + 1, 20000);
        QCOMPARE(pane.images.back().size(), QSize(200, 133));
    }
    QTRY_COMPARE_WITH_TIMEOUT(loader.pendingCount(), 0, 30000);
    // Back to it: the picture itself, whole.
    shown = pane.images.size();
    if (const std::optional<QImage> now = loader.Request(&pane.requester, large, kPane, pane.Deliver()))
        pane.images.push_back(*now);
    QTRY_COMPARE_WITH_TIMEOUT(pane.images.size(), shown + 1, 30000);
    QVERIFY(!pane.images.back().isNull());
}

void TestImageLoader::phonePictureShowsAsItsDecoderMakesIt() {
    // The primary picture, whole: not its thumbnail, not one tile, not cropped; in its own colours
    // (Display P3) brought to the screen's, here sRGB.
    TempDir dir;
    const std::string phone = PhonePicture(dir);
    QVERIFY(!phone.empty());
    const QString reference = dir.FilePath(QStringLiteral("reference.png"));
    QProcess convert;
    convert.start(QStringLiteral("heif-convert"), {QString::fromStdString(phone), reference});
    QVERIFY2(convert.waitForFinished(120000) && convert.exitCode() == 0, "heif-convert failed");
    QImage expected(reference);
    QCOMPARE(expected.size(), QSize(2566, 3313));
    QVERIFY2(expected.colorSpace().isValid(), "the reference carries no profile: the test proves nothing");
    for (const QSize target : {kPane, QSize(900, 1000)}) {
        const QImage decoded = ImageLoader::Decode(phone, target);
        QCOMPARE(decoded.size(), ImageLoader::FitSize(QSize(2566, 3313), target));
        const QImage wanted = expected.convertedToColorSpace(QColorSpace::SRgb)
                                  .scaled(decoded.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                  .convertToFormat(QImage::Format_RGB32);
        const double difference = MeanDifference(decoded, wanted);
        qInfo("phone picture at %dx%d: mean difference %.2f", target.width(), target.height(), difference);
        QVERIFY2(difference < 3, qPrintable(QString::number(difference)));
    }
}

void TestImageLoader::photographShowsTheSameInEveryColourSpace() {
    // One photograph stored in sRGB (no profile), in Display P3 (a JPEG with its profile, a HEIC
    // with an nclx box) and in Adobe RGB (a JPEG declaring it in EXIF only, as cameras do): on an
    // sRGB screen all show alike, and unlike the P3 pixels drawn as they are stored.
    TempDir dir;
    QImage photo = testing::PhotoLikeImage(QSize(480, 320), 7, 4);
    QPainter(&photo).fillRect(QRect(0, 0, 160, 160), QColor(200, 40, 30));     // a red and a green
    QPainter(&photo).fillRect(QRect(320, 160, 160, 160), QColor(40, 180, 60)); // a sRGB gamut holds
    photo.setColorSpace(QColorSpace::SRgb);
    QImage untagged = photo;
    untagged.setColorSpace(QColorSpace());
    const std::string srgb = dir.Write(QStringLiteral("srgb.jpg"), testing::EncodeImage(untagged, "jpeg", 95));
    const QImage p3 = photo.convertedToColorSpace(QColorSpace::DisplayP3);
    const std::string p3Jpeg = dir.Write(QStringLiteral("p3.jpg"), testing::EncodeImage(p3, "jpeg", 95));
    const std::string p3Heic = dir.Native(QStringLiteral("p3.heic"));
    QVERIFY(testing::WriteHeicWithNclx(p3, p3Heic, heif_color_primaries_SMPTE_EG_432_1,
                                       heif_transfer_characteristic_IEC_61966_2_1));
    // JPEG XL in its own XYB space, which the decoder renders in whatever space it is asked for.
    const std::string p3Jxl = testing::JxlFrom(p3Jpeg, dir.Native("p3.jxl"), {QStringLiteral("--lossless_jpeg=0")});
    QVERIFY(!p3Jxl.empty());
    QImage adobe = photo.convertedToColorSpace(QColorSpace::AdobeRgb);
    adobe.setColorSpace(QColorSpace());
    const std::string adobeJpeg = dir.Write(QStringLiteral("adobe.jpg"), testing::EncodeImage(adobe, "jpeg", 95));
    QVERIFY(DeclareAdobeRgbInExif(adobeJpeg));
    // A profile that is no profile: shown as sRGB.
    QByteArray broken = testing::EncodeImage(untagged, "jpeg", 95);
    QByteArray segment = QByteArray("\xFF\xE2\x02\x62ICC_PROFILE", 15) + '\0' + "\x01\x01" + QByteArray(594, 'x');
    broken.insert(2, segment);
    const std::string brokenJpeg = dir.Write(QStringLiteral("broken.jpg"), broken);

    const QSize shown(480, 320);
    const QImage reference = ImageLoader::Decode(srgb, shown);
    QCOMPARE(reference.size(), shown);
    for (const std::string& path : {p3Jpeg, p3Heic, p3Jxl, adobeJpeg, brokenJpeg}) {
        const double difference = MeanDifference(ImageLoader::Decode(path, shown), reference);
        qInfo("%s: mean difference %.2f", path.c_str(), difference);
        QVERIFY2(difference < 2.5, path.c_str());
    }
    const QImage unmanaged = QImage(QString::fromStdString(p3Jpeg)).convertToFormat(QImage::Format_RGB32);
    const double unmanagedDifference = MeanDifference(unmanaged, reference);
    qInfo("P3 pixels drawn as stored: mean difference %.2f", unmanagedDifference);
    QVERIFY(unmanagedDifference > 4);
}

QTEST_MAIN(TestImageLoader)
#include "tst_image_loader.moc"
