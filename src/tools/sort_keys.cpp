#include "tools/sort_keys.h"

#include "tools/character_order.h"
#include "tools/column_text.h"

#include <algorithm>
#include <cstring>

namespace pelldrake {

namespace {

// How many leading bytes of key match those of first, up to limit, which neither is shorter than.
std::size_t MatchingLength(std::string_view first, std::string_view key, std::size_t limit) {
    if (limit == 0 || std::memcmp(first.data(), key.data(), limit) == 0)
        return limit;
    return static_cast<std::size_t>(std::mismatch(first.begin(), first.begin() + limit, key.begin()).first -
                                    first.begin());
}

} // namespace

SortKeys::SortKeys(const std::vector<int>& rows, const ClassList& list, int column, const PathText& pathText) {
    // In list order, which is the order the paths lie in memory, and every key's head while its path is still in
    // the cache. A head is taken after the prefix shared so far; the prefix only shortens, and the heads taken before
    // it last did are taken again at the end.
    const int count = list.Count();
    keys_.reserve(static_cast<std::size_t>(count) + 1);
    std::vector<std::uint64_t> heads(static_cast<std::size_t>(count) + 1);
    std::size_t shared = std::string::npos;
    std::size_t stableFrom = 0;
    for (int position = 0; position < count; ++position) {
        std::string_view key = ColumnTextOf(list.At(position), column, pathText);
        if (!IsOwnCharacterOrderKey(key, pathText.codePage()))
            key = builtKeys_.emplace_back(CharacterOrderKey(key, pathText.codePage()));
        keys_.push_back(key);
        const std::size_t matching =
            MatchingLength(keys_.front(), key, std::min({shared, keys_.front().size(), key.size()}));
        if (matching != shared) {
            shared = matching;
            stableFrom = static_cast<std::size_t>(position);
        }
        heads[static_cast<std::size_t>(position)] = HeadOf(key, shared);
    }
    keys_.emplace_back(); // for rows without an entry
    const bool anyMissing =
        std::any_of(rows.begin(), rows.end(), [count](int position) { return position < 0 || position >= count; });
    sharedPrefix_ = count == 0 ? 0 : shared;
    // The empty key shares nothing, so a missing row leaves no prefix at all.
    if (anyMissing && sharedPrefix_ != 0) {
        sharedPrefix_ = 0;
        stableFrom = heads.size();
    }
    for (std::size_t key = 0; key < stableFrom; ++key)
        heads[key] = HeadOf(keys_[key], sharedPrefix_);
    heads.back() = HeadOf(keys_.back(), sharedPrefix_);

    items_.reserve(rows.size());
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const int position = rows[index];
        const auto key = static_cast<std::uint32_t>(position >= 0 && position < count ? position : count);
        items_.push_back({heads[key], key, static_cast<std::uint32_t>(index)});
    }
}

std::uint64_t SortKeys::HeadOf(std::string_view key, std::size_t sharedPrefix) const {
    // The empty key of a missing row is shorter than the prefix when no row is missing, and then unused.
    const std::string_view after = key.substr(std::min(sharedPrefix, key.size()));
    std::uint64_t head = 0;
    for (std::size_t i = 0; i < kHeadBytes; ++i)
        head = (head << 8) | (i < after.size() ? static_cast<unsigned char>(after[i]) : 0u);
    // A shorter key whose bytes match so far is a prefix of the longer one and sorts first.
    return (head << 8) | std::min<std::uint64_t>(after.size(), kLongKey);
}

int SortKeys::CompareRest(std::uint32_t a, std::uint32_t b) const {
    const std::size_t rest = sharedPrefix_ + kHeadBytes;
    return keys_[a].substr(rest).compare(keys_[b].substr(rest));
}

} // namespace pelldrake
