# Windows 95 and NT 4.0: what the shipped binaries import, checked against
# what those systems have; suites run again with the newer functions hidden,
# so that every fallback runs; the loader's end-to-end suite in prefixes that
# report Windows 98 and NT 4.0. Included at the end of tests/CMakeLists.txt,
# after varnel_test() and the suites it copies.

# The import check reads each shipped binary with the toolchain's objdump
# (tests/import_check), on the host: both bitnesses, the 64-bit half when
# this tree builds it.
find_program(VARNEL_PYTHON3 python3 REQUIRED)
add_test(NAME import_check_test
  COMMAND ${VARNEL_PYTHON3} -m unittest discover -s ${CMAKE_CURRENT_SOURCE_DIR}/import_check)
set_tests_properties(import_check_test PROPERTIES
  TIMEOUT 300
  ENVIRONMENT "VARNEL_SHIPPED_DIR=${VARNEL_OUTPUT_DIR};VARNEL_WIN64=${VARNEL_WIN64};PYTHONDONTWRITEBYTECODE=1")

# The properties a copy of a suite keeps: how its verdict is read, how long
# it may take, and what it must not share.
set(VARNEL_COPIED_TEST_PROPERTIES
  TIMEOUT PASS_REGULAR_EXPRESSION FAIL_REGULAR_EXPRESSION RUN_SERIAL RESOURCE_LOCK ENVIRONMENT)

# varnel_test_copy(suite name COMMAND...): test name runs COMMAND with the
# properties of suite. A suite keeps its folders and its programs' output in
# the build directory under names of its own (TestFolder): the copy and the
# suite, and the copies among themselves, never run at the same time.
function(varnel_test_copy suite name)
  add_test(NAME ${name} COMMAND ${ARGN} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  foreach(property ${VARNEL_COPIED_TEST_PROPERTIES})
    get_test_property(${suite} ${property} value)
    if(NOT "${value}" STREQUAL "NOTFOUND")
      set_tests_properties(${name} PROPERTIES ${property} "${value}")
    endif()
  endforeach()
  foreach(test ${suite} ${name})
    get_test_property(${test} RESOURCE_LOCK locks)
    if("${locks}" STREQUAL "NOTFOUND")
      set(locks "")
    endif()
    list(APPEND locks ${suite}_folders)
    list(REMOVE_DUPLICATES locks)
    set_tests_properties(${test} PROPERTIES RESOURCE_LOCK "${locks}")
  endforeach()
endfunction()

# <suite>_old_api: the suite again with every run-time look-up of a newer
# function (engine/newer_functions.h) finding nothing, as on Windows 95 and
# NT 4.0. Wine hands the Unix environment to the test process, and the
# programs it starts inherit it.
set(VARNEL_HIDE_NEWER VARNEL_HIDE_NEWER_FUNCTIONS=1)
foreach(suite
    gradient_painter_test      # caption bands and outline without the DC brush and pen
    striped_painter_test
    caption_repaint_test
    unload_live_windows_test   # pinning the library without GetModuleHandleExA
    vlconf_test                # settings written without MoveFileExA
    settings_window_test       # the preview's bands without the DC brush, Apply without MoveFileExA
    e2e_loader_test)           # vlload without AttachConsole, gallery without GetAncestor
  varnel_test_copy(${suite} ${suite}_old_api ${suite})
  get_test_property(${suite} ENVIRONMENT environment)
  if("${environment}" STREQUAL "NOTFOUND")
    set(environment "")
  endif()
  list(APPEND environment ${VARNEL_HIDE_NEWER})
  set_tests_properties(${suite}_old_api PROPERTIES ENVIRONMENT "${environment}")
endforeach()

# The loader's end-to-end suite in prefixes of their own that report an old
# version (scripts/old-version-run). A prefix of its own has its own Wine
# server, so the hooks reach none of the shared prefix's processes and its
# Windows directory is its own, and a display of its own, so no other test's
# windows lie over the captions it reads back: these may run beside other
# tests (not beside other runs of the suite, see varnel_test_copy). The
# probe shows what the prefix reports.
add_executable(version_probe fixtures/version_probe.cpp)
set_target_properties(version_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fixtures)
target_link_options(version_probe PRIVATE -static -s)
add_dependencies(e2e_loader_test version_probe)
# A first run makes the prefix (wineboot) before the suite starts.
set(VARNEL_PREFIX_MAKING_SECONDS 120)
foreach(version win98 nt40)
  varnel_test_copy(e2e_loader_test e2e_loader_test_${version}
    ${CMAKE_SOURCE_DIR}/scripts/old-version-run ${version} ${CMAKE_CROSSCOMPILING_EMULATOR}
    $<TARGET_FILE:e2e_loader_test>)
  get_test_property(e2e_loader_test TIMEOUT timeout)
  math(EXPR timeout "${timeout} + ${VARNEL_PREFIX_MAKING_SECONDS}")
  set_tests_properties(e2e_loader_test_${version} PROPERTIES
    TIMEOUT ${timeout}
    RUN_SERIAL FALSE
    RESOURCE_LOCK "wineprefix-${version};e2e_loader_test_folders"
    ENVIRONMENT BUILD_DIR=${CMAKE_BINARY_DIR})
endforeach()
