#include "xmp/xmp_merge.h"

#include "thumbs/declared_colours.h"

#include <exiv2/exiv2.hpp>
#include <mutex>

namespace pelldrake {

namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
const char* const kRatingKey = "Xmp.xmp.Rating";
const char* const kLabelKey = "Xmp.xmp.Label";
const char* const kXmpNamespace = "http://ns.adobe.com/xap/1.0/";

// Only a packet that says it is RDF counts: Exiv2 takes an empty or a bare text as an empty packet,
// and a file that is no sidecar must not be rewritten as one.
std::optional<Exiv2::XmpData> Decode(const std::string& text) {
    if (text.find("rdf:RDF") == std::string::npos)
        return std::nullopt;
    PrepareExiv2();
    try {
        Exiv2::XmpData data;
        if (Exiv2::XmpParser::decode(data, text) != 0)
            return std::nullopt;
        return data;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void Erase(Exiv2::XmpData& data, const char* key) {
    const auto found = data.findKey(Exiv2::XmpKey(key));
    if (found != data.end())
        data.erase(found);
}

std::optional<std::string> Value(const Exiv2::XmpData& data, const char* key) {
    const auto found = data.findKey(Exiv2::XmpKey(key));
    if (found == data.end())
        return std::nullopt;
    return found->toString();
}

} // namespace

std::string_view LabelText(ColourLabel label) {
    switch (label) {
    case ColourLabel::Red:
        return "Red";
    case ColourLabel::Yellow:
        return "Yellow";
    case ColourLabel::Green:
        return "Green";
    case ColourLabel::Blue:
        return "Blue";
    case ColourLabel::Purple:
        return "Purple";
    }
    return {};
}

std::optional<std::string> MergeDecision(const std::optional<std::string>& existing, const XmpDecision& decision) {
    std::optional<Exiv2::XmpData> data = existing ? Decode(*existing) : Exiv2::XmpData();
    if (!data)
        return std::nullopt;
    PrepareExiv2();
    try {
        if (decision.rating)
            (*data)[kRatingKey] = std::to_string(*decision.rating);
        if (decision.label && *decision.label)
            (*data)[kLabelKey] = std::string(LabelText(**decision.label));
        else if (decision.label)
            Erase(*data, kLabelKey);
        if (!existing && data->empty())
            return std::nullopt;
        // A packet read before (on any thread) that spelled the namespace the old way, "xap:", has
        // made the toolkit write it so; the editors all read it by its URI, but a person reads "xmp:".
        Exiv2::XmpProperties::registerNs(kXmpNamespace, "xmp");
        std::string packet;
        if (Exiv2::XmpParser::encode(packet, *data,
                                     Exiv2::XmpParser::omitPacketWrapper | Exiv2::XmpParser::useCompactFormat) != 0)
            return std::nullopt;
        return std::string(kDeclaration) + packet;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<XmpFields> ReadFields(const std::string& sidecar) {
    const std::optional<Exiv2::XmpData> data = Decode(sidecar);
    if (!data)
        return std::nullopt;
    return XmpFields{Value(*data, kRatingKey), Value(*data, kLabelKey)};
}

std::optional<std::string> PropertyTree(const std::string& sidecar) {
    const std::optional<Exiv2::XmpData> data = Decode(sidecar);
    if (!data)
        return std::nullopt;
    std::string tree;
    for (const Exiv2::Xmpdatum& datum : *data)
        tree += datum.key() + "=" + datum.toString() + "\n";
    return tree;
}

} // namespace pelldrake
