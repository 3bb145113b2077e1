# varnel_version_resource(target "description"): gives a shipped binary its
# VERSIONINFO resource. Only the shipped tree includes this (it needs the
# resource compiler); the version itself comes from cmake/version.cmake.
enable_language(RC)

function(varnel_version_resource target description)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(VARNEL_FILE_TYPE VFT_DLL)
    set(VARNEL_FILE_NAME ${target}.dll)
  else()
    set(VARNEL_FILE_TYPE VFT_APP)
    set(VARNEL_FILE_NAME ${target}.exe)
  endif()
  set(VARNEL_FILE_DESCRIPTION "${description}")
  set(rc ${CMAKE_BINARY_DIR}/generated/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
