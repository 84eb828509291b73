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

// The same record with its checksum left for Seal: the checksum is most of a record's cost, and
// a million records are sealed on another thread than the one that has to answer the user.
// The bytes a record takes beyond its path.
inline constexpr std::size_t kOverheadBytes = 4 + 1 + 1 + 4 + 4;
// Where a record's path starts, counted from the record's start: after its length, kind, list and
// index.
inline constexpr std::size_t kPathOffset = 4 + 1 + 1 + 4;
void AppendUnsealed(ListChange::Kind kind, ListIndex list, int index, std::string_view path, std::string& out);
// The same record written at at, which has room for its kOverheadBytes and the path.
void WriteUnsealed(ListChange::Kind kind, ListIndex list, int index, std::string_view path, char* at);
// Gives every record of data, whole records from its start, its checksum.
void Seal(std::string& data);

// Whether data holds the whole record at offset, or bytes enough to tell it is damaged.
bool WholeRecordAt(std::string_view data, std::size_t offset);

// The record at offset, which moves past it; nothing at the end or at a damaged record.
std::optional<ListChange> Next(std::string_view data, std::size_t& offset);

} // namespace pelldrake::journal_record
