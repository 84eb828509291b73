# Writes the settings file beside the program when there is none, so that a first start accepts
# the Qt it was built with. An existing file is the user's and is never touched.
#
# The extension filter starts switched off, holding the extensions of every kind of file the
# program shows, ready for the user to switch on or to trim.
set(shown_extensions
    jpg jpeg png gif bmp webp tif tiff heic heif avif jxl
    cr2 cr3 nef nrw arw orf rw2 raf dng pef srw)
if(NOT EXISTS "${SETTINGS}")
    list(LENGTH shown_extensions count)
    set(filter "[EXTFILTER]\r\nCOUNT=${count}\r\n")
    set(index 0)
    foreach(extension IN LISTS shown_extensions)
        # EXT00, EXT01 …: at least two digits
        set(key ${index})
        if(index LESS 10)
            set(key 0${index})
        endif()
        string(APPEND filter "EXT${key}=${extension}\r\n")
        math(EXPR index "${index} + 1")
    endforeach()
    file(WRITE "${SETTINGS}"
        "[STARTCHECK]\r\n"
        "THUMBCTL=1\r\n"
        "THUMBCTLVER=1\r\n"
        "THUMBCTLVER_HH=${QT_MAJOR}\r\n"
        "THUMBCTLVER_HL=-1\r\n"
        "THUMBCTLVER_LH=-1\r\n"
        "THUMBCTLVER_LL=-1\r\n"
        "[DIALOG]\r\n"
        "MODE=0\r\n"
        "${filter}")
endif()
