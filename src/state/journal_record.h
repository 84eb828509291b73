#pragma once

#include "board/list_change.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The recovery journal's records: a length, the change, then a checksum of the change. A record
// that a kill or a power loss cut short, or that the disk gave back wrong, ends the journal there.
namespace pelldrake::journal_record {

void Append(const ListChange& change, std::string& out);

// The record at offset, which moves past it; nothing at the end or at a damaged record.
std::optional<ListChange> Next(std::string_view data, std::size_t& offset);

} // namespace pelldrake::journal_record
