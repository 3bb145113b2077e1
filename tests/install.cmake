# The setup program in a fresh Wine prefix (scripts/install-test): a silent
# install, a logon that starts the loader from the Run key, an upgrade that
# keeps the user's vl.ini, a silent uninstall that leaves nothing else. It
# packages this build's own binaries (scripts/package --no-build), so it adds
# no build of its own.
#
# The script makes its prefix anew each run, with its own wineserver and its
# own Xvfb display: its loader's hooks reach none of the shared prefix's
# programs, and its windows none of the tests that read the screen. So it
# runs beside other tests; the lock keeps two runs out of one prefix and out
# of the package folder.
#
# Included at the end of tests/CMakeLists.txt.

add_test(NAME install_test
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/install-test --no-build
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
# About 30 s; a slow, shared machine gets room.
set_tests_properties(install_test PROPERTIES
  TIMEOUT 240
  PASS_REGULAR_EXPRESSION "install-test: PASS"
  FAIL_REGULAR_EXPRESSION "install-test: (FAIL|error)"
  RESOURCE_LOCK "installprefix"
  ENVIRONMENT "BUILD_DIR=${CMAKE_BINARY_DIR}")

# The same on 64-bit Windows (a fresh win64 prefix): both halves installed,
# nothing left after the uninstall. About 40 s, most of it the new prefix.
add_test(NAME install_test_win64
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/install-test --win64
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(install_test_win64 PROPERTIES
  TIMEOUT 300
  PASS_REGULAR_EXPRESSION "install-test: PASS"
  FAIL_REGULAR_EXPRESSION "install-test: (FAIL|error)"
  RESOURCE_LOCK "installprefix64"
  ENVIRONMENT "BUILD_DIR=${CMAKE_BINARY_DIR}")

# scripts/package as a user runs it, its build step included
# (scripts/package-test): with the listed built files moved aside, the step
# must make every one of them again (relinking, on this build), and a list
# naming a file no build makes must fail. Serial: the engine and the tools
# are missing for those seconds.
add_test(NAME package_test
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/package-test
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(package_test PROPERTIES
  TIMEOUT 600
  PASS_REGULAR_EXPRESSION "package-test: PASS"
  FAIL_REGULAR_EXPRESSION "package-test: FAIL"
  RUN_SERIAL TRUE
  ENVIRONMENT "BUILD_DIR=${CMAKE_BINARY_DIR}")
