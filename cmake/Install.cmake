# SPDX-License-Identifier: MIT
# Installation layout and the Debian package.
#
#   bin/kadenzo                      the launcher: working folder, starter set, then the program
#   lib/kadenzo/kadenzo              the program, with alsoft.conf beside it: OpenAL Soft
#   lib/kadenzo/alsoft.conf          reads the file that stands next to the real executable
#   share/kadenzo/drums.set          the starter set, copied once into the working folder
#   share/applications, share/icons/hicolor, share/metainfo   the desktop integration
#   share/doc/kadenzo/copyright      the licence; share/man/man1/kadenzo.1.gz the manual
include(GNUInstallDirs)

# The date of the release named by the project's VERSION; move both together.
set(KADENZO_RELEASE_DATE 2026-12-07)
set(KADENZO_INSTALL_PROGRAMDIR lib/kadenzo CACHE STRING
    "Folder, relative to the prefix, of the program and its alsoft.conf")
set(KADENZO_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/kadenzo)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The launcher finds the program and the starter set relative to itself, so the
# whole tree stays usable wherever it is installed or unpacked.
file(RELATIVE_PATH KADENZO_LAUNCHER_TO_PROGRAM
     /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${KADENZO_INSTALL_PROGRAMDIR}/kadenzo)
file(RELATIVE_PATH KADENZO_LAUNCHER_TO_STARTER
     /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${KADENZO_INSTALL_DATADIR}/drums.set)
configure_file(packaging/kadenzo.sh.in ${PROJECT_BINARY_DIR}/packaging/kadenzo @ONLY)
# The metainfo's web page, only where the build was given one.
set(KADENZO_METAINFO_URL "")
if(KADENZO_HOMEPAGE)
  set(KADENZO_METAINFO_URL "\n  <url type=\"homepage\">${KADENZO_HOMEPAGE}</url>")
endif()
configure_file(packaging/${KADENZO_APP_ID}.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/packaging/${KADENZO_APP_ID}.metainfo.xml @ONLY)

install(TARGETS kadenzo RUNTIME DESTINATION ${KADENZO_INSTALL_PROGRAMDIR})
install(FILES sound/alsoft.conf DESTINATION ${KADENZO_INSTALL_PROGRAMDIR})
install(PROGRAMS ${PROJECT_BINARY_DIR}/packaging/kadenzo DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES res/drums.set DESTINATION ${KADENZO_INSTALL_DATADIR})
install(FILES packaging/${KADENZO_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${KADENZO_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 128)
  install(FILES res/icon/kadenzo-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${KADENZO_APP_ID}.png)
endforeach()

set(KADENZO_DEBIAN_RELEASE 1)
set(KADENZO_PACKAGE_MAINTAINER
    "Seed 8782acd3 maintainers <maintainers@users.noreply.c-seed-8782acd3.example>"
    CACHE STRING "Maintainer field of the Debian package: the name and address of whoever builds it")

# cpack -G DEB in the build folder makes the Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kadenzo)
set(CPACK_PACKAGE_VENDOR "The Kadenzo developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keyboard drum pad")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Kadenzo turns the computer keyboard into a drum pad. It carries 28 drum\n"
  "sounds inside the program. Any key can be bound to a sound, the sounds can\n"
  "be given names, and every key press plays its drum at once, with up to five\n"
  "overlapping strokes of each sound. Keys are bound by their place on the\n"
  "keyboard, so the bindings do not depend on the keyboard layout.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Stripped by the staging script, as Debian's tools strip.
set(CPACK_STRIP_FILES OFF)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_BINARY_DIR}/packaging/DebianStage.cmake)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${KADENZO_DEBIAN_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KADENZO_PACKAGE_MAINTAINER}")
if(KADENZO_HOMEPAGE)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KADENZO_HOMEPAGE}")
endif()
# dpkg-shlibdeps finds the libraries (Qt, OpenAL Soft, the C++ runtime). The
# X11 platform plugin and the icon reader Qt loads at run time are in
# libqt6gui6, which that brings in. Wayland needs Qt's Wayland plugin, which
# only a desktop without X11 cannot do without.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(cmake/DebianPackage.cmake)
include(CPack)
