# SPDX-License-Identifier: MIT
# What a Windows build needs beyond the compilers: the build-time generators
# built for the build machine (a cross build cannot run its own), and, for the
# test programs, Wine to run them.
include(ExternalProject)

set(KADENZO_HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host-tools)
ExternalProject_Add(host_tools
  SOURCE_DIR ${PROJECT_SOURCE_DIR}/tools
  BINARY_DIR ${KADENZO_HOST_TOOLS_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=c++ -DCMAKE_C_COMPILER=cc
             -DKADENZO_BUILD_INFO_DIR=${CMAKE_BINARY_DIR}/res/generated
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target rcscript
  INSTALL_COMMAND ""
  # The generators' own sources change now and then: let their build decide.
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${KADENZO_HOST_TOOLS_DIR}/tools/rcscript)
set(KADENZO_RCSCRIPT ${KADENZO_HOST_TOOLS_DIR}/tools/rcscript)

# Wine runs the test programs: wine64 the 64-bit ones, Wine's i386 loader (from
# wine32:i386) the 32-bit ones. The loader may be there on a kernel that cannot
# run 32-bit programs; scripts/test.sh tries before it runs them.
if(CMAKE_HOST_SYSTEM_NAME STREQUAL "Linux")
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    find_program(KADENZO_WINE wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
    set(KADENZO_WINEARCH win64)
  else()
    find_program(KADENZO_WINE wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
    set(KADENZO_WINEARCH win32)
  endif()
  if(KADENZO_WINE)
    # One Wine prefix for the whole build folder, made on the first run.
    configure_file(${PROJECT_SOURCE_DIR}/tests/support/wine-run.sh.in
                   ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
  endif()
endif()
