# SPDX-License-Identifier: MIT
# The platform-free layers must never reach the toolkit. Qt's imported targets are
# only found inside ui/, so naming one from core/ or sound/ already fails at
# generation time; this walk also catches Qt arriving indirectly through another
# library that a layer links.
function(_kadenzo_collect_links target out_var)
  set(seen ${${out_var}})
  foreach(prop LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
    get_target_property(libs ${target} ${prop})
    if(NOT libs)
      continue()
    endif()
    foreach(lib IN LISTS libs)
      if(lib IN_LIST seen)
        continue()
      endif()
      list(APPEND seen ${lib})
      if(TARGET ${lib})
        _kadenzo_collect_links(${lib} seen)
      endif()
    endforeach()
  endforeach()
  set(${out_var} ${seen} PARENT_SCOPE)
endfunction()

function(kadenzo_forbid_qt target)
  set(all "")
  _kadenzo_collect_links(${target} all)
  foreach(lib IN LISTS all)
    if(lib MATCHES "Qt[0-9]*::|[Qq]t[0-9]*(Core|Gui|Widgets)")
      message(FATAL_ERROR "Layer '${target}' must not depend on Qt, but links ${lib}")
    endif()
  endforeach()
endfunction()

# The toolkit layer stands on the resources and the toolkit alone: the program's
# own layers sit above it.
function(kadenzo_forbid_links target)
  set(all "")
  _kadenzo_collect_links(${target} all)
  foreach(forbidden IN LISTS ARGN)
    if(forbidden IN_LIST all)
      message(FATAL_ERROR "Layer '${target}' must not depend on '${forbidden}'")
    endif()
  endforeach()
endfunction()
