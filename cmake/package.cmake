# The Debian package (scripts/package.sh): cpack -G DEB in a build configured with prefix /usr.
set(CPACK_PACKAGE_NAME pelldrake)
set(CPACK_PACKAGE_VENDOR "Pelldrake")
# Configure with -DPELLDRAKE_MAINTAINER="Name <address>" to sign a package of one's own.
set(CPACK_PACKAGE_CONTACT "${PELLDRAKE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PELLDRAKE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${PELLDRAKE_DEBIAN_RELEASE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Sort image files by hand into ten lists")
# Debian wraps the long description at 80 columns; each line here is one line there.
set(CPACK_PACKAGE_DESCRIPTION
    "Gather image files into the unclassified list, look at them one at a time,
and send each into one of ten classification lists with one key. Then move,
copy or trash each list as a whole, or put it on the clipboard. The work can
be saved and resumed later.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The linked libraries come from the binary; what it loads at run time is named here: the
# platform plugin, the image decoders, Qt's Japanese texts and a Japanese font. HEIC, AVIF and
# JPEG XL are decoded by libheif and libjxl, named too; Debian's libheif1 (1.15) links its HEVC and
# AV1 decoders (libde265, dav1d, aom) itself and so brings them along.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-image-formats-plugins, qt6-translations-l10n, fonts-ipafont-gothic, xdg-utils, libheif1 (>= 1.15), libjxl0.7")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "desktop-file-utils, shared-mime-info, hicolor-icon-theme")
include(CPack)
