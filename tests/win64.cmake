# The 64-bit tree's suites (tests/win64_suites.cmake, built by the external
# project win64/), each run by this tree's CTest in a win64 prefix of its own
# (scripts/win64-run): its own Wine server, desktop and display, so its hooks
# reach none of the 32-bit prefix's programs and it may run beside the 32-bit
# suites; the lock keeps the 64-bit runs out of each other's prefix.
# Included at the end of tests/CMakeLists.txt.
if(NOT VARNEL_WIN64)
  return()
endif()
include(${CMAKE_CURRENT_SOURCE_DIR}/win64_suites.cmake)
set(VARNEL_WIN64_TREE ${CMAKE_BINARY_DIR}/win64)

# varnel_win64_test(name executable [environment...])
function(varnel_win64_test name executable)
  varnel_own_prefix_test(${name} win64-run ${executable} ${VARNEL_WIN64_TREE}
    win64prefix "BUILD_DIR=${CMAKE_BINARY_DIR};${ARGN}")
endfunction()

foreach(suite ${VARNEL_WIN64_SUITES})
  set(environment "")
  # The 32-bit run sends its 100,000 messages; the same fuzzing at a tenth
  # of that size here keeps scripts/test short.
  if(suite STREQUAL "fuzz_messages_test")
    set(environment "VARNEL_SOAK_SCALE=10")
  endif()
  # The win64 prefix runs at 96 DPI, and the matrix checks it does.
  if(suite STREQUAL "caption_matrix_test")
    set(environment "VARNEL_EXPECT_DPI=96")
  endif()
  varnel_win64_test(${suite}_64 ${VARNEL_WIN64_TREE}/tests/${suite}.exe ${environment})
endforeach()

# The caption matrix at 120 and 144 DPI and with a large caption font, in a
# win64 metrics prefix of its own (tests/caption_metrics.cmake).
if("caption_matrix_test" IN_LIST VARNEL_WIN64_SUITES)
  varnel_caption_metrics_tests(_64 ${VARNEL_WIN64_TREE}/tests/caption_matrix_test.exe win64 ${VARNEL_WIN64_TREE})
endif()
