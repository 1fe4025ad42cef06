# Copies the files of the driver package into the dist folder.
#   cmake -DMANIFEST=<file> -DDIST=<folder> -P AssembleDist.cmake
# The manifest has one line "path in dist=source file" per file; when a path
# comes twice the later line wins, so a built binary replaces its placeholder.
# Files that have not changed are left alone, so their times stay.
foreach(required MANIFEST DIST)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "AssembleDist.cmake needs -D${required}=...")
  endif()
endforeach()

file(STRINGS ${MANIFEST} lines)
set(paths "")
foreach(line IN LISTS lines)
  string(FIND "${line}" "=" equals)
  if(equals LESS 1)
    message(FATAL_ERROR "${MANIFEST}: not a \"path=source\" line: ${line}")
  endif()
  string(SUBSTRING "${line}" 0 ${equals} path)
  math(EXPR from "${equals} + 1")
  string(SUBSTRING "${line}" ${from} -1 source)
  string(MAKE_C_IDENTIFIER "${path}" id)
  set(source_of_${id} "${source}")
  list(APPEND paths "${path}")
endforeach()
list(REMOVE_DUPLICATES paths)

foreach(path IN LISTS paths)
  string(MAKE_C_IDENTIFIER "${path}" id)
  set(source "${source_of_${id}}")
  if(NOT EXISTS "${source}")
    message(FATAL_ERROR "the package file ${path} has no source: ${source}")
  endif()
  get_filename_component(folder "${DIST}/${path}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(COPY_FILE "${source}" "${DIST}/${path}" ONLY_IF_DIFFERENT)
endforeach()
list(LENGTH paths count)
message(STATUS "dist: ${count} files in ${DIST}")
