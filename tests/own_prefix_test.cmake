# varnel_own_prefix_test(name runner executable directory lock environment)
# A suite run under Wine through scripts/<runner>, which gives the run a
# prefix of its own with its own Wine server, desktop and display (the win64
# prefix, a metrics prefix). The lock keeps two runs out of one such prefix;
# environment is one ;-list. The first run makes the prefix (wineboot, 15-20 s,
# about 20 s for a 64-bit one), hence the long timeout. As with every suite,
# only GoogleTest's own verdict counts.
# Included by tests/CMakeLists.txt; used by tests/caption_metrics.cmake and
# tests/win64.cmake.
function(varnel_own_prefix_test name runner executable directory lock environment)
  add_test(NAME ${name}
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/${runner} wine ${executable}
    WORKING_DIRECTORY ${directory})
  set_tests_properties(${name} PROPERTIES TIMEOUT 400
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\]"
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]"
    RESOURCE_LOCK ${lock}
    ENVIRONMENT "${environment}")
endfunction()
