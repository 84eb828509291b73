#pragma once

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSize>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

namespace pelldrake::testing {

// HEIC, AVIF and JPEG XL files, which Qt cannot write, made by the encoders the set-up installs:
// heif-enc (libheif-examples), avifenc (libavif-bin) and cjxl (libjxl-tools). Each reads a PNG or
// JPEG file and returns the native path of what it wrote, or empty when the encoder failed or is
// missing.

inline std::string RunEncoder(const QString& program, const QStringList& arguments, const std::string& output) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return QFileInfo(QFile::decodeName(QByteArray::fromStdString(output))).size() > 0 ? output : std::string();
}

// options: e.g. {"-t", "64"} for a thumbnail picture of at most 64 pixels a side.
inline std::string HeicFrom(const std::string& source, const std::string& output, QStringList options = {}) {
    options << QStringLiteral("-q") << QStringLiteral("70") << QFile::decodeName(QByteArray::fromStdString(source))
            << QStringLiteral("-o") << QFile::decodeName(QByteArray::fromStdString(output));
    return RunEncoder(QStringLiteral("heif-enc"), options, output);
}

// options: e.g. {"--irot", "1"} (a quarter turn anticlockwise) or {"--imir", "1"}.
inline std::string AvifFrom(const std::string& source, const std::string& output, QStringList options = {}) {
    options << QStringLiteral("-s") << QStringLiteral("10") << QFile::decodeName(QByteArray::fromStdString(source))
            << QFile::decodeName(QByteArray::fromStdString(output));
    return RunEncoder(QStringLiteral("avifenc"), options, output);
}

// From a JPEG, cjxl recompresses its data without loss unless told --lossless_jpeg=0.
inline std::string JxlFrom(const std::string& source, const std::string& output, QStringList options = {}) {
    options.prepend(QFile::decodeName(QByteArray::fromStdString(output)));
    options.prepend(QFile::decodeName(QByteArray::fromStdString(source)));
    return RunEncoder(QStringLiteral("cjxl"), options, output);
}

// The HEIF file with every picture size box ('ispe') that declares from made to declare claimed:
// a small file whose header claims a huge picture.
inline QByteArray HeifClaiming(QByteArray heif, QSize from, QSize claimed) {
    const auto put32 = [&heif](qsizetype at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            heif[at + i] = static_cast<char>(value >> (24 - 8 * i));
    };
    const auto get32 = [&heif](qsizetype at) {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | static_cast<unsigned char>(heif[at + i]);
        return value;
    };
    // The box type, then version and flags, then width and height.
    for (qsizetype at = heif.indexOf("ispe"); at >= 0 && at + 16 <= heif.size(); at = heif.indexOf("ispe", at + 4)) {
        if (get32(at + 8) == static_cast<std::uint32_t>(from.width()) &&
            get32(at + 12) == static_cast<std::uint32_t>(from.height())) {
            put32(at + 8, static_cast<std::uint32_t>(claimed.width()));
            put32(at + 12, static_cast<std::uint32_t>(claimed.height()));
        }
    }
    return heif;
}

// The JPEG XL container jxl with its EXIF box, Brotli-compressed ("brob") or not, moved behind
// everything else and stored uncompressed as tiff, as a tool that adds metadata later may write it.
inline QByteArray JxlWithExifAtEnd(const QByteArray& jxl, const QByteArray& tiff) {
    const auto get32 = [&jxl](qsizetype at) {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | static_cast<unsigned char>(jxl[at + i]);
        return value;
    };
    const auto box = [](const QByteArray& type, const QByteArray& content) {
        const auto size = static_cast<std::uint32_t>(8 + content.size());
        QByteArray out;
        for (int i = 0; i < 4; ++i)
            out.append(static_cast<char>(size >> (24 - 8 * i)));
        return out + type + content;
    };
    QByteArray out;
    // The boxes cjxl writes give their sizes in 32 bits.
    for (qsizetype at = 0, size = 0; at + 8 <= jxl.size(); at += size) {
        size = get32(at) == 0 ? jxl.size() - at : static_cast<qsizetype>(get32(at));
        if (size < 8)
            return {};
        const QByteArray type = jxl.mid(at + 4, 4);
        if (type != "Exif" && !(type == "brob" && jxl.mid(at + 8, 4) == "Exif"))
            out += jxl.mid(at, size);
    }
    return out + box("Exif", QByteArray(4, '\0') + tiff);
}

// A JPEG XL codestream whose header claims size and which ends right after that header. No
// encoder makes one, so it is written bit by bit: the signature, the size header in its long form,
// and the image metadata's "all default" bit.
inline QByteArray JxlHeaderClaiming(QSize size) {
    std::vector<bool> bits;
    const auto put = [&bits](std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i)
            bits.push_back(((value >> i) & 1u) != 0);
    };
    // A dimension: a two-bit selector of its field width, then the value less one.
    const auto dimension = [&put](std::uint32_t value) {
        const int widths[] = {9, 13, 18, 30};
        for (int selector = 0; selector < 4; ++selector) {
            if (value - 1 < (std::uint32_t{1} << widths[selector])) {
                put(static_cast<std::uint32_t>(selector), 2);
                put(value - 1, widths[selector]);
                return;
            }
        }
    };
    put(0, 1); // not the short form
    dimension(static_cast<std::uint32_t>(size.height()));
    put(0, 3); // no fixed aspect ratio: the width follows
    dimension(static_cast<std::uint32_t>(size.width()));
    put(1, 1); // metadata all default
    QByteArray out("\xff\x0a", 2);
    for (std::size_t at = 0; at < bits.size(); at += 8) {
        char byte = 0;
        for (std::size_t i = 0; i < 8 && at + i < bits.size(); ++i)
            byte = static_cast<char>(byte | (bits[at + i] ? 1 << i : 0));
        out.append(byte);
    }
    return out;
}

} // namespace pelldrake::testing
