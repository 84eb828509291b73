#include "xmp/sidecar_targets.h"

#include "board/picture_files.h"
#include "board/sidecar_names.h"

namespace pelldrake {

namespace {

constexpr std::string_view kSuffix = ".xmp";

FilePath BaseNameSidecar(const FilePath& picture) {
    const std::string name = NameOf(picture);
    const std::string_view base = sidecar_names::BaseName(name);
    return sidecar_names::XmpAsSpelledOnDisk(Join(FolderOf(picture), base.empty() ? std::string_view(name) : base) +
                                             std::string(kSuffix));
}

FilePath FullNameSidecar(const FilePath& file) {
    return sidecar_names::XmpAsSpelledOnDisk(file + std::string(kSuffix));
}

} // namespace

FilePathList SidecarTargets(const FilePath& picture, bool paired, SidecarForm form, PictureFiles& files) {
    FilePathList targets;
    if (form != SidecarForm::FullName)
        targets.push_back(BaseNameSidecar(picture));
    if (form != SidecarForm::BaseName) {
        targets.push_back(FullNameSidecar(picture));
        if (paired) {
            for (const FilePath& raw : files.Companions(picture))
                targets.push_back(FullNameSidecar(raw));
        }
    }
    return targets;
}

} // namespace pelldrake
