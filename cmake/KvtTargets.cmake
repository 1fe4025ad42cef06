# Warnings are errors in the project's own code.
function(kvt_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wformat=2 -Wnon-virtual-dtor -Werror)
endfunction()

# A static library of the project from the sources of one folder.
function(kvt_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_LINK})
  kvt_warnings(${target})
endfunction()
