# A suite run by this tree's CTest through a script that gives it a Wine
# prefix of its own, with its own Wine server, desktop and display
# (scripts/metrics-run, scripts/win64-run). The first run makes the prefix
# (wineboot, about 20 s), hence the long timeout; GoogleTest's summary says
# whether the suite passed; the lock keeps two runs out of one prefix.
# Included by tests/CMakeLists.txt, before caption_metrics.cmake and
# win64.cmake, which register their runs with it.

# varnel_wrapped_suite(name script executable directory lock environment)
function(varnel_wrapped_suite name script executable directory lock environment)
  add_test(NAME ${name}
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/${script} wine ${executable}
    WORKING_DIRECTORY ${directory})
  set_tests_properties(${name} PROPERTIES TIMEOUT 400
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\]"
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]"
    RESOURCE_LOCK ${lock}
    ENVIRONMENT "${environment}")
endfunction()
