#pragma once

#include <QIODevice>
#include <cstdint>
#include <jxl/decode.h>
#include <memory>
#include <vector>

namespace pelldrake {

// libjxl fed from a device a piece at a time, shared by the readers of JPEG XL pictures and
// metadata.

struct JxlDecoderFree {
    void operator()(JxlDecoder* decoder) const { JxlDecoderDestroy(decoder); }
};
using JxlDecoderPtr = std::unique_ptr<JxlDecoder, JxlDecoderFree>;

// A decoder subscribed to events, with the device back at its start; null when either fails.
JxlDecoderPtr StartJxlDecoder(QIODevice& device, int events);

// Hands the file to the decoder a chunk at a time, keeping what it has not used yet.
class JxlFeeder {
public:
    JxlFeeder(JxlDecoder* decoder, QIODevice& device) : decoder_(decoder), device_(device) {}

    // False at the end of the file, after a failed read, or past limit bytes.
    bool More(qint64 limit);

private:
    JxlDecoder* decoder_;
    QIODevice& device_;
    std::vector<std::uint8_t> buffer_;
    bool fed_ = false;
    bool closed_ = false;
};

} // namespace pelldrake
