# The one version of varnel, read from the file VERSION at the top of the
# source tree (scripts/package reads the same file), and the VERSIONINFO
# resource every shipped binary carries with it. Windows shows that resource
# in a file's properties, and setup programs compare it before replacing a
# file; the programs also print the version themselves (vlload /version,
# vlconf --version) from the header configured here.

set(VARNEL_VERSION_FILE ${CMAKE_CURRENT_LIST_DIR}/../VERSION)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${VARNEL_VERSION_FILE})
file(STRINGS ${VARNEL_VERSION_FILE} VARNEL_VERSION LIMIT_COUNT 1)
string(STRIP "${VARNEL_VERSION}" VARNEL_VERSION)
# Three numbers, each fitting the 16 bits a VERSIONINFO field has for it.
if(NOT VARNEL_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "VERSION must hold MAJOR.MINOR.PATCH (like 1.2.3), not \"${VARNEL_VERSION}\"")
endif()
set(VARNEL_VERSION_MAJOR ${CMAKE_MATCH_1})
set(VARNEL_VERSION_MINOR ${CMAKE_MATCH_2})
set(VARNEL_VERSION_PATCH ${CMAKE_MATCH_3})
foreach(part MAJOR MINOR PATCH)
  if(VARNEL_VERSION_${part} GREATER 65535)
    message(FATAL_ERROR "VERSION ${VARNEL_VERSION}: each number must be 65535 or less")
  endif()
endforeach()

# The header the programs print the version from; varnel_version is the
# library that puts it on a target's include path.
configure_file(${CMAKE_CURRENT_LIST_DIR}/varnel_version.h.in ${CMAKE_BINARY_DIR}/generated/varnel_version.h @ONLY)
add_library(varnel_version INTERFACE)
target_include_directories(varnel_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
