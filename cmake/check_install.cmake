# Installs the build into a fresh temporary prefix and checks that every file an installed copy
# needs is there, that the desktop entry leaves folders to the file manager while a service menu
# offers them; runs desktop-file-validate and appstreamcli on what was installed when they are.
# Run as: cmake -DBUILD_DIR=<build> -DPREFIX=<empty folder> -DAPP_ID=<id> -P check_install.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(expected
    bin/pelldrake
    share/pelldrake/pelldrake.html
    share/pelldrake/pelldrake.INI
    share/applications/${APP_ID}.desktop
    share/kio/servicemenus/pelldrake-sort.desktop
    share/metainfo/${APP_ID}.metainfo.xml
    share/mime/packages/pelldrake-workstate.xml
    share/man/man1/pelldrake.1.gz
    share/doc/pelldrake/copyright
    share/doc/pelldrake/changelog.Debian.gz
    share/lintian/overrides/pelldrake)
foreach(size 16 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/pelldrake.png)
endforeach()
set(missing "")
foreach(file IN LISTS expected)
    if(NOT EXISTS ${PREFIX}/${file})
        string(APPEND missing "\n  ${file}")
    endif()
endforeach()
if(missing)
    message(FATAL_ERROR "Not installed:${missing}")
endif()

file(READ ${PREFIX}/share/pelldrake/pelldrake.INI defaults)
if(NOT defaults MATCHES "THUMBCTLVER_HH=[0-9]")
    message(FATAL_ERROR "The installed default settings do not name the Qt version")
endif()
foreach(extension jpg heic heif avif jxl cr3)
    if(NOT defaults MATCHES "\nEXT[0-9][0-9]+=${extension}[^a-z0-9]")
        message(FATAL_ERROR "The installed default extension filter lacks ${extension}")
    endif()
endforeach()

# A desktop with no default for folders in any mimeapps.list takes the first entry that names
# them, by desktop file id: an entry naming inode/directory would make Pelldrake open every folder.
set(entry ${PREFIX}/share/applications/${APP_ID}.desktop)
file(READ ${entry} entry_text)
string(REGEX MATCH "\nMimeType=[^\n]*" entry_types "\n${entry_text}")
if(NOT entry_types MATCHES "[=;]image/jpeg;")
    message(FATAL_ERROR "The desktop entry names no picture type:${entry_types}")
endif()
if(entry_types MATCHES "[=;]inode/directory(;|$)")
    message(FATAL_ERROR "The desktop entry names folders (inode/directory) among its types")
endif()

# Folders are offered by a KDE service menu instead, which adds an action without a default.
set(menu ${PREFIX}/share/kio/servicemenus/pelldrake-sort.desktop)
file(READ ${menu} menu_text)
foreach(line "Type=Service" "X-KDE-ServiceTypes=KonqPopupMenu/Plugin" "MimeType=inode/directory;" "Actions=sort;"
             "[Desktop Action sort]" "Name[ja]=Pelldrakeで仕分ける" "Exec=pelldrake %F")
    string(FIND "\n${menu_text}\n" "\n${line}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "The service menu lacks the line ${line}")
    endif()
endforeach()
# KIO of KDE Frameworks 6 runs a service menu that root does not own only when it is executable,
# as after an install into the user's own prefix.
execute_process(COMMAND test -x ${menu} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "The service menu is not executable")
endif()

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
    execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${entry} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "desktop-file-validate rejects the desktop entry")
    endif()
    # The validator knows service menus but holds that MimeType and Actions belong to applications,
    # while KIO reads both there: those two objections are expected, any other is a fault.
    execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${menu} OUTPUT_VARIABLE said ERROR_VARIABLE said)
    set(expected_objection
        "[^\n]*: error: key \"(MimeType|Actions)\" is present in group \"Desktop Entry\", but the type is \"Service\"[^\n]*\n?")
    string(REGEX REPLACE "${expected_objection}" "" unexpected "${said}")
    if(NOT unexpected STREQUAL "")
        message(FATAL_ERROR "desktop-file-validate on the service menu:\n${unexpected}")
    endif()
else()
    message(STATUS "desktop-file-validate not installed: desktop entry not validated")
endif()
find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
    execute_process(COMMAND ${APPSTREAMCLI} validate --no-net ${PREFIX}/share/metainfo/${APP_ID}.metainfo.xml
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "appstreamcli rejects the metainfo file")
    endif()
else()
    message(STATUS "appstreamcli not installed: metainfo not validated")
endif()
file(REMOVE_RECURSE ${PREFIX})
