# Installing the program (cmake --install, make install) and its Debian
# package (make package). The program finds its data beside itself first,
# then in <prefix>/share/hissan, so a build tree and an installed copy both
# work.
include(GNUInstallDirs)

set(HISSAN_APP_ID jp.hissan.Hissan)
set(HISSAN_HOMEPAGE "https://hissan.jp" CACHE STRING
    "The project's web address; the AppStream screenshot is published under it")
set(HISSAN_SCREENSHOT_URL "${HISSAN_HOMEPAGE}/resources/screenshots/board.png")
set(HISSAN_METAINFO ${CMAKE_BINARY_DIR}/${HISSAN_APP_ID}.metainfo.xml)
configure_file(${CMAKE_SOURCE_DIR}/resources/${HISSAN_APP_ID}.metainfo.xml.in ${HISSAN_METAINFO}
    @ONLY)

foreach(program hissan_exe hissan-render)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()
# The export tool's speech module, loaded from there when it reads aloud.
install(TARGETS hissan_speech_module LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/hissan)

# The program's own data: help pages, the word-problem patterns, pictures
# kept as files, the example worksheet list; whichever the tree has.
set(HISSAN_INSTALL_DATA ${CMAKE_INSTALL_DATADIR}/hissan)
foreach(dir help examples face faces pictures)
    if(IS_DIRECTORY ${CMAKE_SOURCE_DIR}/resources/${dir})
        install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/${dir} DESTINATION ${HISSAN_INSTALL_DATA})
    endif()
endforeach()
foreach(file bunExPtrn.txt)
    if(EXISTS ${CMAKE_SOURCE_DIR}/resources/${file})
        install(FILES ${CMAKE_SOURCE_DIR}/resources/${file} DESTINATION ${HISSAN_INSTALL_DATA})
    endif()
endforeach()

# The desktop: menu entry, AppStream metadata, icons in the hicolor theme.
install(FILES ${CMAKE_SOURCE_DIR}/resources/${HISSAN_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${HISSAN_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/icons/hicolor
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# ---- Debian package -------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hissan)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "hissan")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Column calculation blackboard for primary schools (筆算の黒板)")
set(CPACK_PACKAGE_DESCRIPTION
    "Type an expression with two numbers and one of + - * /, press =, and the\n\
program draws the written column calculation on a blackboard as a Japanese\n\
pupil writes it by hand, stroke by stroke. hissan-render exports a board as\n\
PNG, SVG or PDF and makes A4 worksheets of practice problems with answers.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "hissan developers <hissan@hissan.jp>")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${HISSAN_HOMEPAGE})
# The libraries come from dpkg-shlibdeps; the board font is looked up by name
# at run time, so the Japanese fonts are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
