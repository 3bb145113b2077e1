# The 64-bit tree's programs for the loader's suite across both bitnesses
# (win64_loader_test): the gallery built as a 64-bit program, a process whose
# windows varnel64.dll must skin. What ships of the gallery stays 32-bit.
set(GALLERY_DIR ${CMAKE_SOURCE_DIR}/tools/gallery)
add_executable(gallery64 WIN32
  ${GALLERY_DIR}/gallery.cpp ${GALLERY_DIR}/main_window.cpp ${GALLERY_DIR}/dialogs.cpp
  ${GALLERY_DIR}/dialog_template.cpp ${GALLERY_DIR}/mdi_frame.cpp ${GALLERY_DIR}/tool_window.cpp ${GALLERY_DIR}/caption_windows.cpp
  ${GALLERY_DIR}/window_report.cpp ${CMAKE_SOURCE_DIR}/engine/newer_functions.cpp)
set_target_properties(gallery64 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fixtures)
target_include_directories(gallery64 PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(gallery64 PRIVATE -Wall -Wextra -Wno-cast-function-type -fno-exceptions -fno-rtti)
target_compile_definitions(gallery64 PRIVATE WINVER=0x0501 _WIN32_WINNT=0x0501 _WIN32_IE=0x0500)
target_link_options(gallery64 PRIVATE -static -s)
target_link_libraries(gallery64 PRIVATE comctl32 user32 gdi32 kernel32)

add_dependencies(win64_loader_test gallery64 vlload)
