# Installs the build at BUILD_DIR into a fresh prefix outside the build tree and checks that
# the installed tree holds the programs, their shipped data, the desktop entry and an icon,
# and that the installed program starts and finds its language files there.
cmake_minimum_required(VERSION 3.25)

string(RANDOM LENGTH 12 tag)
set(PREFIX "/tmp/favrake-install-${tag}")
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
    share/applications/io.github.favrake.Favrake.desktop
    share/metainfo/io.github.favrake.Favrake.metainfo.xml
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

# The program runs a few seconds on an empty collection with German chosen; it keeps that
# choice at its end only when it found the language file in its installed data.
set(home "${PREFIX}/home")
file(WRITE "${home}/.config/Favrake.ini" "[Config]\nInstalled=1\nLanguage=Deutsch\n")
file(MAKE_DIRECTORY "${home}/Favorites" "${home}/runtime")
file(CHMOD "${home}/runtime" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
set(ENV{HOME} "${home}")
set(ENV{XDG_CONFIG_HOME} "${home}/.config")
set(ENV{XDG_DATA_HOME} "${home}/.local/share")
set(ENV{XDG_RUNTIME_DIR} "${home}/runtime")
set(ENV{FAVRAKE_FAVORITES} "${home}/Favorites")
set(ENV{QT_QPA_PLATFORM} "offscreen")
execute_process(COMMAND timeout -s TERM 4 "${PREFIX}/bin/favrake")
file(READ "${home}/.config/Favrake.ini" settings)
file(REMOVE_RECURSE "${PREFIX}")
if(NOT settings MATCHES "Language=Deutsch")
    message(FATAL_ERROR "the installed program did not find its languages:\n${settings}")
endif()
