# Installs the build into a scratch prefix and checks what a desktop needs: the program, its entry, its icons,
# its software-centre metadata and its manual pages.
# Run with -DBUILD_DIR=<build> -DPREFIX=<scratch folder>.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(paths
    bin/qinghe-renamer
    share/applications/io.github.qinghe.Renamer.desktop
    share/metainfo/io.github.qinghe.Renamer.metainfo.xml
    share/man/man1/qinghe-renamer.1.gz
    share/man/zh_CN/man1/qinghe-renamer.1.gz
    share/icons/hicolor/scalable/apps/qinghe-renamer.svg)
foreach(size 16 22 24 32 48 64 128 256)
    list(APPEND paths share/icons/hicolor/${size}x${size}/apps/qinghe-renamer.png)
endforeach()
foreach(path ${paths})
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()

file(READ "${PREFIX}/share/applications/io.github.qinghe.Renamer.desktop" entry)
foreach(line "Name=青禾更名器\n" "Exec=qinghe-renamer %F\n" "Icon=qinghe-renamer\n" "Type=Application\n" "Utility;"
        "Comment[zh_CN]=" "MimeType=inode/directory;\n" "StartupWMClass=qinghe-renamer\n")
    string(FIND "${entry}" "${line}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "the desktop entry lacks: ${line}")
    endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "install layout: 1 passed, 0 failed")
