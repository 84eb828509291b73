#pragma once

#include "xmp/xmp_decision.h"

#include <optional>
#include <string>

namespace pelldrake {

// The sidecar's text with the decision in it: every other property, namespace and structure (an
// editor's develop history) is kept as Exiv2 reads it, and written back as Exiv2 writes a sidecar
// (an XML declaration, no packet wrapper, compact RDF). Without existing, a new sidecar with only
// the decision. Nothing when existing cannot be read as XMP, or when a new sidecar would be empty.
std::optional<std::string> MergeDecision(const std::optional<std::string>& existing, const XmpDecision& decision);

// Readers for tests and for what an editor would see: the rating and label a sidecar's text holds.
struct XmpFields {
    std::optional<std::string> rating;
    std::optional<std::string> label;
};
std::optional<XmpFields> ReadFields(const std::string& sidecar);

// Every property of a sidecar as "key=value" lines, in Exiv2's order: a tree to compare.
std::optional<std::string> PropertyTree(const std::string& sidecar);

} // namespace pelldrake
