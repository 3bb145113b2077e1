# Windows 95 and NT 4.0: what the shipped binaries import, checked against
# what those systems have. Included at the end of tests/CMakeLists.txt, after
# varnel_test().

varnel_test(import_check_test)
target_compile_definitions(import_check_test PRIVATE
  VARNEL_OLD_WINDOWS_LIST="Z:${CMAKE_CURRENT_SOURCE_DIR}/data/lacking_on_old_windows.txt")
add_dependencies(import_check_test vlload vlconf skingen gallery)

