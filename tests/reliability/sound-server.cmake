# SPDX-License-Identifier: MIT
# The real program through a real sound server of the test's own, PulseAudio and
# PipeWire with its pulse layer, one scenario a test.
foreach(kind pulse pipewire)
  foreach(scenario strokes moves restart hang)
    add_test(NAME sound_server_${scenario}_${kind}
      COMMAND ${CMAKE_CURRENT_LIST_DIR}/sound-server-e2e.sh $<TARGET_FILE:kadenzo>
              ${PROJECT_SOURCE_DIR} $<TARGET_FILE:strike_finder> ${kind} ${scenario})
    set_tests_properties(sound_server_${scenario}_${kind} PROPERTIES TIMEOUT 180)
  endforeach()
endforeach()
