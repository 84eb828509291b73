#include "intake/intake_pairs.h"

#include "board/sidecar_names.h"
#include "platform/path_text.h"

#include <string>
#include <unordered_map>

namespace pelldrake {

IntakePairs::IntakePairs(const FilePathList& candidates, bool on) {
    if (!on)
        return;
    const PathText& pathText = PathText::Native();
    auto stem = [&pathText](const FilePath& path) {
        const std::string_view name = pathText.FileName(path);
        return path.substr(0, path.size() - name.size()) + std::string(sidecar_names::BaseName(name));
    };
    stemOf_.assign(candidates.size(), -1);
    jpeg_.assign(candidates.size(), false);
    std::unordered_map<std::string, std::int32_t> jpegStems;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (sidecar_names::IsJpeg(pathText.FileName(candidates[i]))) {
            const auto id = static_cast<std::int32_t>(jpegStems.size());
            stemOf_[i] = jpegStems.emplace(stem(candidates[i]), id).first->second;
            jpeg_[i] = true;
        }
    }
    std::vector<bool> withRaw(jpegStems.size());
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (!sidecar_names::IsCameraRaw(pathText.FileName(candidates[i])))
            continue;
        if (const auto found = jpegStems.find(stem(candidates[i])); found != jpegStems.end()) {
            stemOf_[i] = found->second;
            withRaw[static_cast<std::size_t>(found->second)] = true;
        }
    }
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (jpeg_[i] && !withRaw[static_cast<std::size_t>(stemOf_[i])])
            stemOf_[i] = -1;
    }
    stems_.assign(jpegStems.size(), 0);
}

void IntakePairs::JpegTaken(std::size_t i, std::size_t entry) {
    stems_[static_cast<std::size_t>(stemOf_[i])] |= kLeads;
    jpegEntries_.emplace_back(entry, stemOf_[i]);
}

void IntakePairs::JpegHeld(std::size_t i, bool paired) {
    if (paired)
        stems_[static_cast<std::size_t>(stemOf_[i])] |= kLeads;
}

void IntakePairs::RawFound(std::size_t i, std::optional<std::size_t> entry) {
    stems_[static_cast<std::size_t>(stemOf_[i])] |= kRawFound;
    if (entry)
        rawEntries_.emplace_back(*entry, stemOf_[i]);
}

void IntakePairs::Settle(FilePathList& paths, std::vector<FileIdentity>& identities) const {
    const auto is = [this](std::int32_t stem, std::uint8_t flags) {
        return (stems_[static_cast<std::size_t>(stem)] & flags) == flags;
    };
    for (const auto& [entry, stem] : jpegEntries_) {
        if (is(stem, kRawFound))
            identities[entry].paired = 1;
    }
    std::vector<bool> follows(paths.size());
    bool any = false;
    for (const auto& [entry, stem] : rawEntries_) {
        if (is(stem, kLeads))
            any = follows[entry] = true;
    }
    if (!any)
        return;
    std::size_t kept = 0;
    for (std::size_t k = 0; k < paths.size(); ++k) {
        if (follows[k])
            continue;
        if (kept != k) {
            paths[kept] = std::move(paths[k]);
            identities[kept] = identities[k];
        }
        ++kept;
    }
    paths.resize(kept);
    identities.resize(kept);
}

} // namespace pelldrake
