# Runs "favrake /CREATELNG" in an empty folder of its own and compares the template it
# writes with the expected one, byte for byte.
set(work "${WORK_DIR}/template-check")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}/home")
set(ENV{HOME} "${work}/home")
set(ENV{XDG_CONFIG_HOME} "${work}/home/.config")
set(ENV{XDG_RUNTIME_DIR} "${work}/runtime")
set(ENV{FAVRAKE_FAVORITES} "${work}/home/Favorites")
set(ENV{QT_QPA_PLATFORM} "offscreen")
execute_process(COMMAND "${PROGRAM}" /CREATELNG WORKING_DIRECTORY "${work}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "favrake /CREATELNG ended with ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${work}/Template.lng" "${EXPECTED}"
                RESULT_VARIABLE differs)
if(differs)
    message(FATAL_ERROR "Template.lng differs from ${EXPECTED}; if the windows changed on "
                        "purpose, copy ${work}/Template.lng over it")
endif()
