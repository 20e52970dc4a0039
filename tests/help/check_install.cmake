# Installs the build at BUILD_DIR into a fresh PREFIX and checks that the installed tree holds
# the programs, their shipped data, the desktop entry and an icon.
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()

set(expected
    bin/favrake
    bin/favrake-cli
    share/favrake/lang/Deutsch.lng
    share/favrake/help/index.html
    share/favrake/help/help.css
    share/favrake/help/120.html
    share/favrake/help/de/index.html
    share/favrake/help/de/120.html
    share/applications/favrake.desktop
    share/icons/hicolor/16x16/apps/favrake.png
    share/icons/hicolor/48x48/apps/favrake.png
    share/icons/hicolor/256x256/apps/favrake.png)
set(missing "")
foreach(file IN LISTS expected)
    if(NOT EXISTS "${PREFIX}/${file}")
        list(APPEND missing "${file}")
    endif()
endforeach()
if(missing)
    message(FATAL_ERROR "missing from the installed tree: ${missing}")
endif()
