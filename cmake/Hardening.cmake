# SPDX-License-Identifier: MIT
# Debian's hardening flags (dpkg-buildflags with hardening=+all on Debian 12)
# for the optimised builds: fortified string and memory functions, the strong
# stack protector, format-string checks, a read-only relocation table bound at
# start (relro, now) and a position-independent executable. A packager who
# builds with cpack, without dpkg-buildflags, gets them all the same. Debug and
# sanitizer builds go without: fortify needs the optimiser, and the sanitizers
# check the same things more closely.
include(CheckCXXSourceCompiles)
include(CheckPIESupported)

set(_optimised "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")

# Some compilers (Ubuntu's) fortify already; defining it again would warn.
check_cxx_source_compiles("
#ifdef _FORTIFY_SOURCE
#error fortified already
#endif
int main() { return 0; }" KADENZO_FORTIFY_NOT_PREDEFINED)
if(KADENZO_FORTIFY_NOT_PREDEFINED)
  add_compile_definitions("$<${_optimised}:_FORTIFY_SOURCE=2>")
endif()
add_compile_options("$<${_optimised}:-fstack-protector-strong>"
                    "$<${_optimised}:-Wformat>"
                    "$<${_optimised}:-Werror=format-security>")
add_link_options("$<${_optimised}:LINKER:-z,relro>" "$<${_optimised}:LINKER:-z,now>")

check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
