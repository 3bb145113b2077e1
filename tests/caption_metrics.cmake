# The caption matrix at other display metrics: 120 and 144 DPI, and a caption
# font larger than the default at 96 DPI. Each run goes through
# scripts/metrics-run, which sets the metrics in a prefix kept for such runs
# (BUILD_DIR/wineprefix-metrics, or wineprefix64-metrics for the 64-bit
# tree's program), never in the shared test prefix, and gives the run its
# own Wine server, desktop and display. The program checks that the metrics
# took before it compares a caption. The lock keeps two runs out of one
# metrics prefix. Included by tests/CMakeLists.txt and tests/win64.cmake.

# The runs, as "name|DPI|caption font pixels (0: the default)".
set(VARNEL_CAPTION_METRICS "dpi120|120|0" "dpi144|144|0" "largefont|96|20")

# varnel_caption_metrics_tests(suffix executable arch working-directory)
function(varnel_caption_metrics_tests suffix executable arch directory)
  foreach(run ${VARNEL_CAPTION_METRICS})
    string(REPLACE "|" ";" fields "${run}")
    list(GET fields 0 name)
    list(GET fields 1 dpi)
    list(GET fields 2 font)
    varnel_own_prefix_test(caption_matrix_${name}${suffix} metrics-run ${executable} ${directory}
      metricsprefix${suffix}
      "VARNEL_TEST_RUN=${name};BUILD_DIR=${CMAKE_BINARY_DIR};VARNEL_WINEARCH=${arch};VARNEL_DPI=${dpi};VARNEL_CAPTION_FONT=${font}")
  endforeach()
endfunction()

if(NOT VARNEL_64)
  varnel_caption_metrics_tests("" ${CMAKE_BINARY_DIR}/tests/caption_matrix_test.exe win32 ${CMAKE_BINARY_DIR})
endif()
