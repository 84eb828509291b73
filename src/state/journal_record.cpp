#include "state/journal_record.h"

#include <cstdint>
#include <cstring>

namespace pelldrake::journal_record {

namespace {

constexpr std::size_t kFixedBytes = 1 + 1 + 4; // kind, list, index
constexpr std::size_t kChecksumBytes = 4;
constexpr std::uint32_t kLargestRecord = 1 << 24; // far beyond any path a system accepts

std::uint32_t GetU32(std::string_view data, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(data[at + static_cast<std::size_t>(i)]);
    return value;
}

// FNV-1a: enough to tell a torn or garbled record from a whole one.
std::uint32_t Checksum(std::string_view bytes) {
    std::uint32_t hash = 2166136261u;
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

} // namespace

void Append(const ListChange& change, std::string& out) {
    const std::size_t start = out.size();
    AppendUnsealed(change.kind, change.list, change.index, change.path, out);
    std::string sealed = out.substr(start);
    Seal(sealed);
    out.replace(start, sealed.size(), sealed);
}

void AppendUnsealed(ListChange::Kind kind, ListIndex list, int index, std::string_view path, std::string& out) {
    const std::size_t start = out.size();
    out.resize(start + kOverheadBytes + path.size());
    WriteUnsealed(kind, list, index, path, out.data() + start);
}

void WriteUnsealed(ListChange::Kind kind, ListIndex list, int index, std::string_view path, char* at) {
    const auto put = [&at](std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8)
            *at++ = static_cast<char>((value >> shift) & 0xFF);
    };
    put(static_cast<std::uint32_t>(kFixedBytes + path.size() + kChecksumBytes));
    *at++ = static_cast<char>(kind);
    *at++ = static_cast<char>(list);
    put(static_cast<std::uint32_t>(index));
    // A removal taken back in one piece carries no path, and an empty view may hold no pointer.
    if (!path.empty())
        std::memcpy(at, path.data(), path.size());
}

void Seal(std::string& data) {
    std::size_t offset = 0;
    while (data.size() - offset >= 4) {
        const std::uint32_t size = GetU32(data, offset);
        if (size < kFixedBytes + kChecksumBytes || data.size() - offset - 4 < size)
            return;
        const std::size_t bodySize = size - kChecksumBytes;
        const std::uint32_t checksum = Checksum(std::string_view(data).substr(offset + 4, bodySize));
        for (std::size_t i = 0; i < kChecksumBytes; ++i)
            data[offset + 4 + bodySize + i] = static_cast<char>((checksum >> (8 * i)) & 0xFF);
        offset += 4 + size;
    }
}

bool WholeRecordAt(std::string_view data, std::size_t offset) {
    if (data.size() - offset < 4)
        return false;
    const std::uint32_t size = GetU32(data, offset);
    if (size < kFixedBytes + kChecksumBytes || size > kLargestRecord)
        return true; // damaged, as Next will say
    return data.size() - offset - 4 >= size;
}

std::optional<ListChange> Next(std::string_view data, std::size_t& offset) {
    if (data.size() - offset < 4)
        return std::nullopt;
    const std::uint32_t size = GetU32(data, offset);
    if (size < kFixedBytes + kChecksumBytes || size > kLargestRecord || data.size() - offset - 4 < size)
        return std::nullopt;
    const std::string_view body = data.substr(offset + 4, size - kChecksumBytes);
    if (Checksum(body) != GetU32(data, offset + 4 + body.size()))
        return std::nullopt;
    const auto kind = static_cast<std::uint8_t>(body[0]);
    if (kind > static_cast<std::uint8_t>(ListChange::Kind::Scratch))
        return std::nullopt;
    ListChange change;
    change.kind = static_cast<ListChange::Kind>(kind);
    change.list = static_cast<unsigned char>(body[1]);
    change.index = static_cast<int>(GetU32(body, 2));
    change.path.assign(body.substr(kFixedBytes));
    offset += 4 + size;
    return change;
}

} // namespace pelldrake::journal_record
