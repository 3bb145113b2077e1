# Wine's own programs under the loader, driven with xdotool like a person
# (scripts/real-programs), at the small size: Notepad, the Registry Editor and
# WineMine in the baseline, showcase and striped profiles, a few seconds each.
# scripts/soak runs every program in every profile.
#
# The script works in a prefix of its own (BUILD_DIR/realprogramsprefix) with
# its own wineserver, and on an Xvfb display of its own. Hooks belong to a
# desktop of one server, so its loader reaches none of the shared prefix's
# programs, and the other tests' loaders none of its programs; its mouse and
# keys go to its own display, and the tests that read the screen never see
# its windows. So it runs beside other tests rather than alone; the lock only
# keeps two runs out of one prefix.
#
# Included at the end of tests/CMakeLists.txt.

# Prints each visible top-level window of a process and whether it answers.
# The script runs the shipped programs too, and runs no build of its own under
# CTest: building the probe builds them.
add_executable(window_answer_probe fixtures/window_answer_probe.cpp)
set_target_properties(window_answer_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fixtures)
target_link_options(window_answer_probe PRIVATE -static -s)
add_dependencies(window_answer_probe varnel vlload vlconf skingen vlplug desktop_keeper)

# The run itself takes about two minutes; a first run makes its prefix
# (wineboot) before it.
set(VARNEL_REAL_PROGRAMS_SECONDS 480)
add_test(NAME real_programs_test
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/real-programs --small --no-build
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
# Exit code and summary line agree; a run that could not be made at all says
# "error" and exits 2.
set_tests_properties(real_programs_test PROPERTIES
  TIMEOUT ${VARNEL_REAL_PROGRAMS_SECONDS}
  PASS_REGULAR_EXPRESSION "real-programs: PASS"
  FAIL_REGULAR_EXPRESSION "real-programs: (FAIL|error)"
  RESOURCE_LOCK realprogramsprefix
  ENVIRONMENT "BUILD_DIR=${CMAKE_BINARY_DIR};OUT_DIR=${CMAKE_BINARY_DIR}/real-programs")

# The suite's own check: a fixture with a fault planted in it that only the
# engine's presence lets out must come out crash, hang and lost under the
# engine and ok without it, or the verdicts above prove nothing.
add_executable(planted_faults WIN32 fixtures/planted_faults.cpp)
set_target_properties(planted_faults PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fixtures)
target_link_options(planted_faults PRIVATE -static -s)
add_dependencies(planted_faults window_answer_probe)

add_test(NAME real_programs_self_check_test
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/real-programs --self-check --no-build
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(real_programs_self_check_test PROPERTIES
  TIMEOUT ${VARNEL_REAL_PROGRAMS_SECONDS}
  PASS_REGULAR_EXPRESSION "real-programs: self-check PASS"
  FAIL_REGULAR_EXPRESSION "real-programs: (self-check FAIL|error)"
  RESOURCE_LOCK realprogramsprefix
  ENVIRONMENT "BUILD_DIR=${CMAKE_BINARY_DIR};OUT_DIR=${CMAKE_BINARY_DIR}/real-programs-self-check")
