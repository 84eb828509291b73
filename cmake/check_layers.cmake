# Fails when a source folder includes a header from a folder at its own rank or above.
# Run as: cmake -DSOURCE_DIR=<src> -P check_layers.cmake
#
# Lower lines are the foundations; a folder may include its own headers and those of any
# folder on an earlier line. Core folders (no widgets) come before every ui/ folder.
set(layers
    "core"
    "platform"
    "resources"
    "app"
    "board"
    "intake;thumbs;disposal;state;tools"
    "xmp"
    "platform/ui"
    "thumbs/ui"
    "resources/ui"
    "app/ui;intake/ui;disposal/ui;state/ui;tools/ui;xmp/ui"
    "board/ui"
    "app/startup")

set(rank 0)
foreach(line IN LISTS layers)
    string(REPLACE ";" " " folders "${line}")
    separate_arguments(folders UNIX_COMMAND "${folders}")
    foreach(folder IN LISTS folders)
        set(rank_of_${folder} ${rank})
    endforeach()
    math(EXPR rank "${rank} + 1")
endforeach()

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
set(violations "")
foreach(source IN LISTS sources)
    get_filename_component(folder ${source} DIRECTORY)
    if(folder STREQUAL "")
        continue() # main.cpp composes everything
    endif()
    if(NOT DEFINED rank_of_${folder})
        string(APPEND violations "\n  ${source}: folder ${folder} has no layer")
        continue()
    endif()
    file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^#include \"")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^#include \"([^\"]*)\".*" "\\1" header "${line}")
        get_filename_component(included ${header} DIRECTORY)
        if(included STREQUAL folder OR NOT DEFINED rank_of_${included})
            continue()
        endif()
        if(NOT rank_of_${included} LESS rank_of_${folder})
            string(APPEND violations "\n  ${source} includes ${header}")
        endif()
    endforeach()
endforeach()
if(violations)
    message(FATAL_ERROR "Includes that reach up or sideways:${violations}")
endif()
