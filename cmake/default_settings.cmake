# Writes the settings file beside the program when there is none, so that a first start accepts
# the Qt it was built with. An existing file is the user's and is never touched.
if(NOT EXISTS "${SETTINGS}")
    file(WRITE "${SETTINGS}"
        "[STARTCHECK]\r\n"
        "THUMBCTL=1\r\n"
        "THUMBCTLVER=1\r\n"
        "THUMBCTLVER_HH=${QT_MAJOR}\r\n"
        "THUMBCTLVER_HL=-1\r\n"
        "THUMBCTLVER_LH=-1\r\n"
        "THUMBCTLVER_LL=-1\r\n"
        "[DIALOG]\r\n"
        "MODE=0\r\n")
endif()
