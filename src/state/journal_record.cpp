#include "state/journal_record.h"

#include <cstdint>

namespace pelldrake::journal_record {

namespace {

constexpr std::size_t kFixedBytes = 1 + 1 + 4; // kind, list, index
constexpr std::size_t kChecksumBytes = 4;
constexpr std::uint32_t kLargestRecord = 1 << 24; // far beyond any path a system accepts

void PutU32(std::uint32_t value, std::string& out) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

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
    PutU32(static_cast<std::uint32_t>(kFixedBytes + change.path.size() + kChecksumBytes), out);
    const std::size_t body = out.size();
    out.push_back(static_cast<char>(change.kind));
    out.push_back(static_cast<char>(change.list));
    PutU32(static_cast<std::uint32_t>(change.index), out);
    out.append(change.path);
    PutU32(Checksum(std::string_view(out).substr(body)), out);
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
    if (kind > static_cast<std::uint8_t>(ListChange::Kind::LastTouched))
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
