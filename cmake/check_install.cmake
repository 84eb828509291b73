# Installs the build into a fresh temporary prefix and checks that every file an installed copy
# needs is there; runs desktop-file-validate and appstreamcli on what was installed when they are.
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
    share/metainfo/${APP_ID}.metainfo.xml
    share/mime/packages/pelldrake-workstate.xml
    share/man/man1/pelldrake.1.gz
    share/doc/pelldrake/copyright
    share/doc/pelldrake/changelog.Debian.gz)
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

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
    execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${PREFIX}/share/applications/${APP_ID}.desktop
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "desktop-file-validate rejects the desktop entry")
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
