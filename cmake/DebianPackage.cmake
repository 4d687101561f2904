# SPDX-License-Identifier: MIT
# The files Debian's policy asks of a package beside the program: the
# copyright file (which every installation carries, as the licence asks), the
# manual page, and the Debian changelog (in the package only). Included by
# Install.cmake once the release's version and date are known.

# The release date as Debian's changelog writes it ("Mon, 07 Dec 2026
# 00:00:00 +0000"), from a YYYY-MM-DD date. CMake formats only a time in
# seconds, so the date is first counted in days since 1970 (the civil-calendar
# count of H. Hinnant's date algorithms).
function(kadenzo_rfc2822_date iso_date out_var)
  if(NOT iso_date MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "not a YYYY-MM-DD date: ${iso_date}")
  endif()
  math(EXPR y "${CMAKE_MATCH_1}")
  # Leading zeros would read as octal.
  string(REGEX REPLACE "^0" "" m "${CMAKE_MATCH_2}")
  string(REGEX REPLACE "^0" "" d "${CMAKE_MATCH_3}")
  if(m LESS_EQUAL 2)
    math(EXPR y "${y} - 1")
  endif()
  math(EXPR era "${y} / 400")
  math(EXPR yoe "${y} - ${era} * 400")
  if(m GREATER 2)
    math(EXPR mp "${m} - 3")
  else()
    math(EXPR mp "${m} + 9")
  endif()
  math(EXPR doy "(153 * ${mp} + 2) / 5 + ${d} - 1")
  math(EXPR doe "${yoe} * 365 + ${yoe} / 4 - ${yoe} / 100 + ${doy}")
  math(EXPR days "${era} * 146097 + ${doe} - 719468")
  math(EXPR seconds "${days} * 86400")
  set(saved "$ENV{SOURCE_DATE_EPOCH}")
  set(ENV{SOURCE_DATE_EPOCH} ${seconds})
  string(TIMESTAMP text "%a, %d %b %Y %H:%M:%S +0000" UTC)
  set(ENV{SOURCE_DATE_EPOCH} "${saved}")
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()

# gzip -9n, as Debian's tools compress: no name or time stamp in the header,
# so the same text always gives the same bytes.
find_program(KADENZO_GZIP gzip REQUIRED)
function(kadenzo_gzip source target)
  add_custom_command(
    OUTPUT ${target}
    COMMAND ${KADENZO_GZIP} -9nc ${source} > ${target}
    DEPENDS ${source}
    COMMENT "Compressing ${target}"
    VERBATIM)
endfunction()

set(_pkg ${PROJECT_BINARY_DIR}/packaging)

# The copyright file in Debian's machine-readable format, with the licence
# text taken from LICENSE (each line indented, empty lines as " .").
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE _license_lines)
set(KADENZO_LICENSE_TEXT "")
foreach(line IN LISTS _license_lines)
  if(line STREQUAL "")
    string(APPEND KADENZO_LICENSE_TEXT " .\n")
  else()
    string(APPEND KADENZO_LICENSE_TEXT " ${line}\n")
  endif()
endforeach()
string(REGEX REPLACE "\n$" "" KADENZO_LICENSE_TEXT "${KADENZO_LICENSE_TEXT}")
set(KADENZO_COPYRIGHT_SOURCE "")
if(KADENZO_HOMEPAGE)
  set(KADENZO_COPYRIGHT_SOURCE "Source: ${KADENZO_HOMEPAGE}\n")
endif()
configure_file(packaging/copyright.in ${_pkg}/copyright @ONLY)

configure_file(packaging/kadenzo.1.in ${_pkg}/kadenzo.1 @ONLY)
kadenzo_gzip(${_pkg}/kadenzo.1 ${_pkg}/kadenzo.1.gz)

set(KADENZO_DEBIAN_VERSION ${PROJECT_VERSION}-${KADENZO_DEBIAN_RELEASE})
kadenzo_rfc2822_date(${KADENZO_RELEASE_DATE} KADENZO_RELEASE_RFC2822)
configure_file(packaging/changelog.Debian.in ${_pkg}/changelog.Debian @ONLY)
kadenzo_gzip(${_pkg}/changelog.Debian ${_pkg}/changelog.Debian.gz)

add_custom_target(kadenzo_package_docs ALL DEPENDS ${_pkg}/kadenzo.1.gz ${_pkg}/changelog.Debian.gz)

install(FILES ${_pkg}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${_pkg}/kadenzo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The Debian changelog, lintian's overrides and the stripping as Debian's tools strip (without the
# compiler's .comment and .note sections) happen on the package's staging
# tree only: a plain installation keeps neither.
set(KADENZO_CPACK_DEBIAN_CHANGELOG ${_pkg}/changelog.Debian.gz)
set(KADENZO_CPACK_LINTIAN_OVERRIDES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides)
configure_file(cmake/DebianStage.cmake.in ${_pkg}/DebianStage.cmake @ONLY)
