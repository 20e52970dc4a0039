# Installs the build at BUILD_DIR into a fresh prefix outside the build tree, or takes the
# tree an install or a package left at PREFIX, and checks that it holds the programs, their
# shipped data, the desktop's files, manual pages, completion and user units, and that the
# installed program starts and finds its language files there. INSTALLED_AS is the prefix
# the tree was made for (a package's tree is made for /usr), PREFIX by default.
cmake_minimum_required(VERSION 3.25)

if(PREFIX)
    set(scratch "${PREFIX}/../favrake-check-home")
else()
    string(RANDOM LENGTH 12 tag)
    set(PREFIX "/tmp/favrake-install-${tag}")
    set(scratch "${PREFIX}")
    file(REMOVE_RECURSE "${PREFIX}")
    execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
    endif()
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
    share/icons/hicolor/256x256/apps/favrake.png
    share/man/man1/favrake.1.gz
    share/man/man1/favrake-cli.1.gz
    share/bash-completion/completions/favrake-cli
    lib/systemd/user/favrake-refresh.service
    lib/systemd/user/favrake-refresh.timer)
set(missing "")
foreach(file IN LISTS expected)
    if(NOT EXISTS "${PREFIX}/${file}")
        list(APPEND missing "${file}")
    endif()
endforeach()
if(missing)
    message(FATAL_ERROR "missing from the installed tree: ${missing}")
endif()
file(GLOB_RECURSE notes "${PREFIX}/*favrake-build-data")
if(notes)
    message(FATAL_ERROR "the build's note on its sources was installed: ${notes}")
endif()

# The scheduled refresh runs the program where the tree puts it.
if(NOT INSTALLED_AS)
    set(INSTALLED_AS "${PREFIX}")
endif()
file(STRINGS "${PREFIX}/lib/systemd/user/favrake-refresh.service" exec REGEX "^ExecStart=")
if(NOT exec STREQUAL "ExecStart=${INSTALLED_AS}/bin/favrake-cli refresh")
    message(FATAL_ERROR "the refresh service runs something else: ${exec}")
endif()

# The program runs a few seconds on an empty collection with German chosen; it keeps that
# choice at its end only when it found the language file in its installed data.
set(home "${scratch}/home")
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
file(REMOVE_RECURSE "${scratch}")
if(NOT settings MATCHES "Language=Deutsch")
    message(FATAL_ERROR "the installed program did not find its languages:\n${settings}")
endif()
