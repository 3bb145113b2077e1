# varnel_version_resource(target "description"): gives a shipped binary its
# VERSIONINFO resource, and a program its manifest (cmake/as_invoker.manifest:
# it runs as whoever starts it, its writes never redirected). Only the shipped tree includes this (it needs the
# resource compiler); the version itself comes from cmake/version.cmake.
enable_language(RC)

function(varnel_version_resource target description)
  get_target_property(type ${target} TYPE)
  # The 64-bit half's files are named varnel64.dll, vlload64.exe, vlplug64.dll.
  get_target_property(name ${target} OUTPUT_NAME)
  if(NOT name)
    set(name ${target})
  endif()
  if(type STREQUAL "SHARED_LIBRARY")
    set(VARNEL_FILE_TYPE VFT_DLL)
    set(VARNEL_FILE_NAME ${name}.dll)
    set(VARNEL_MANIFEST "")
  else()
    set(VARNEL_FILE_TYPE VFT_APP)
    set(VARNEL_FILE_NAME ${name}.exe)
    # CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST
    set(VARNEL_MANIFEST "1 24 \"${CMAKE_SOURCE_DIR}/cmake/as_invoker.manifest\"")
  endif()
  set(VARNEL_FILE_DESCRIPTION "${description}")
  set(rc ${CMAKE_BINARY_DIR}/generated/${target}_version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
