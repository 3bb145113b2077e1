# The Python programs beside the build, tested without Wine in a few
# seconds: scripts/real-programs' profiles, geometry and verdicts
# (tests/real_programs), and the benchmark's reader of the server trace
# (bench/test_trace_requests.py).
#
# Included from tests/CMakeLists.txt.

find_program(VARNEL_PYTHON3 python3 REQUIRED)

add_test(NAME real_programs_unit_test
  COMMAND ${VARNEL_PYTHON3} -m unittest discover -s ${CMAKE_CURRENT_SOURCE_DIR}/real_programs
    -t ${CMAKE_CURRENT_SOURCE_DIR}/real_programs)
add_test(NAME bench_trace_requests_test
  COMMAND ${VARNEL_PYTHON3} -m unittest discover -s ${CMAKE_SOURCE_DIR}/bench -p "test_*.py")
# The sources stay free of compiled caches.
set_tests_properties(real_programs_unit_test bench_trace_requests_test PROPERTIES
  TIMEOUT 60
  ENVIRONMENT "PYTHONPATH=${CMAKE_SOURCE_DIR}/scripts;PYTHONDONTWRITEBYTECODE=1")
