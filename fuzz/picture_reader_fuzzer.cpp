// Any bytes as a picture file, read by one of the adapters around the outside decoders, with the
// decode given up after a number of reads the input chooses: the process must live through every
// damaged, cut-short or abandoned file, and an abandoned read must never reach the library as a
// failed one. One executable a reader, chosen at build time:
//   heif           HEIF, HEIC and AVIF (libheif): cost, picture and thumbnail
//   jxl            JPEG XL (libjxl): cost and picture
//   jxl_exif       the EXIF box of a JPEG XL container
//   jpeg_estimate  the walk over a JPEG's segments that estimates its decode

#include "thumbs/abandonable_file.h"
#include "thumbs/decode_budget.h"
#include "thumbs/heif_file.h"
#include "thumbs/jpeg_layout.h"
#include "thumbs/jxl_exif.h"
#include "thumbs/jxl_file.h"

#include <QBuffer>
#include <QByteArray>
#include <atomic>
#include <cstdint>
#include <cstring>

using namespace pelldrake;

namespace {

const QSize kTarget(160, 120);

// The file's bytes, which give the decode up after a given number of reads, as the loader does
// when the user moves on while a decode reads.
class GivingUpBuffer : public QBuffer {
public:
    GivingUpBuffer(const QByteArray& bytes, int readsBeforeGivingUp, std::atomic<bool>& abandoned)
        : readsLeft_(readsBeforeGivingUp), abandoned_(abandoned) {
        setData(bytes);
        open(QIODevice::ReadOnly);
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (readsLeft_ >= 0 && readsLeft_-- == 0)
            abandoned_.store(true);
        return QBuffer::readData(data, maxSize);
    }

private:
    int readsLeft_;
    std::atomic<bool>& abandoned_;
};

void Read(const QByteArray& file, int readsBeforeGivingUp) {
    std::atomic<bool> abandoned{false};
    GivingUpBuffer source(file, readsBeforeGivingUp, abandoned);
    AbandonableFile device(source, abandoned);
#if defined(PELLDRAKE_FUZZ_HEIF)
    const std::optional<DecodeCost> cost = HeifDecodeCost(device, kTarget);
    // As the loader: nothing beyond the budget is decoded.
    if (cost && IsWithinBudget(*cost) && cost->bytes < (std::int64_t{256} << 20)) {
        DecodeHeif(device, kTarget, &abandoned);
        ReadHeifThumbnail(device, kTarget, PreviewPick::SmallestCovering);
    }
#elif defined(PELLDRAKE_FUZZ_JXL)
    const std::optional<DecodeCost> cost = JxlDecodeCost(device, kTarget);
    if (cost && IsWithinBudget(*cost) && cost->bytes < (std::int64_t{256} << 20))
        DecodeJxl(device, kTarget);
#elif defined(PELLDRAKE_FUZZ_JXL_EXIF)
    ReadJxlExif(device);
#elif defined(PELLDRAKE_FUZZ_JPEG_ESTIMATE)
    EstimateDecodeCost(device, kTarget);
    device.seek(0);
    ReadJpegLayout(device);
#else
#error "a reader to fuzz: PELLDRAKE_FUZZ_HEIF, _JXL, _JXL_EXIF or _JPEG_ESTIMATE"
#endif
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte says after how many reads the decode is given up; 0 never.
    if (size < 1)
        return 0;
    const int readsBeforeGivingUp = data[0] == 0 ? -1 : data[0] - 1;
    Read(QByteArray(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1)), readsBeforeGivingUp);
    return 0;
}
