# Installs the build into a scratch prefix and checks what a desktop needs: the program, its entry, its icons.
# Run with -DBUILD_DIR=<build> -DPREFIX=<scratch folder>.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

foreach(path
        bin/qinghe-renamer
        share/applications/qinghe-renamer.desktop
        share/icons/hicolor/48x48/apps/qinghe-renamer.png
        share/icons/hicolor/256x256/apps/qinghe-renamer.png)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()

file(READ "${PREFIX}/share/applications/qinghe-renamer.desktop" entry)
foreach(line "Name=青禾更名器\n" "Exec=qinghe-renamer %F\n" "Icon=qinghe-renamer\n" "Type=Application\n" "Utility;"
        "Comment[zh_CN]=")
    string(FIND "${entry}" "${line}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "the desktop entry lacks: ${line}")
    endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "install layout: 1 passed, 0 failed")
