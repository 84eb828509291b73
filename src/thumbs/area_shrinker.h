#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <vector>

namespace pelldrake {

// AreaScaled for a picture that arrives in pieces, in any order: each run of pixels is added to
// the sums of the shrunk pixels it falls on, so nothing of the picture's own size is ever held.
// The sums take 16 bytes per pixel of the shrunk size.
class AreaShrinker {
public:
    // A source of sourceSize shrunk to size; a size larger than the source in either direction is
    // held to it there, and one so small that a shrunk pixel would stand for more source pixels
    // than its sums can count is held larger (Result then scales it down).
    AreaShrinker(QSize sourceSize, QSize size);

    // count pixels of source row y from column x, 8 bits a channel: RGB when channels is 3, RGBA
    // when 4 (alpha multiplied into the colours already when premultiplied says so).
    void Add(int x, int y, int count, const std::uint8_t* pixels, int channels, bool premultiplied);

    // The means, RGB32 or premultiplied ARGB32 when alpha was added, at the size asked for held to
    // the source's size.
    QImage Result() const;

private:
    QSize source_;
    QSize wanted_;
    QSize binned_;
    bool alpha_ = false;
    std::vector<int> columnOf_;
    std::vector<int> rowOf_;
    std::vector<std::uint32_t> sums_; // red, green, blue, alpha of each shrunk pixel
};

} // namespace pelldrake
