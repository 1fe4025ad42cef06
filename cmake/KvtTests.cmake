# How the GoogleTest binaries are compiled and run.

# The test sources of one folder share translation units, at most `batch`
# files to a unit: GoogleTest's and the simulation's headers are then parsed,
# and their templates instantiated and compiled, once a unit instead of once
# a file. Names in a test file's anonymous namespace must therefore differ
# from those of the other files of its folder. Files outside the folder
# groups (support sources) are compiled on their own.
#
# UNOPTIMIZED compiles the test code itself at -O0, for a suite whose cases
# run for milliseconds: its compilation then costs about half as much, while
# the product code the tests drive keeps the optimisation of its build. Not
# for the fault sweeps, whose own checks of thousands of runs would take
# several times longer.
function(kvt_test_units target batch)
  cmake_parse_arguments(ARG "UNOPTIMIZED" "" "" ${ARGN})
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_MODE GROUP)
  if(ARG_UNOPTIMIZED)
    target_compile_options(${target} PRIVATE -O0)
  endif()
  get_target_property(sources ${target} SOURCES)
  list(SORT sources)
  foreach(source ${sources})
    get_filename_component(folder "${source}" DIRECTORY)
    file(RELATIVE_PATH folder "${PROJECT_SOURCE_DIR}" "${folder}")
    string(MAKE_C_IDENTIFIER "${folder}" key)
    if(NOT DEFINED count_${key})
      set(count_${key} 0)
    endif()
    math(EXPR unit "${count_${key}} / ${batch}")
    math(EXPR count_${key} "${count_${key}} + 1")
    set_source_files_properties(${source} TARGET_DIRECTORY ${target} PROPERTIES UNITY_GROUP "${key}_${unit}")
  endforeach()
endfunction()

# Runs a GoogleTest binary as `shards` ctest tests, one process each
# (tests/gtest/run_shard.sh): starting a process per case costs more than
# most cases, above all under the sanitizers. Each shard writes its XML
# report to test-reports/ of the build tree, where scripts/test.sh counts
# the cases.
#   kvt_add_gtest_shards(<target> SHARDS <n> [TIMEOUT <s>] [COST <c>] [LABELS <l>...])
function(kvt_add_gtest_shards target)
  cmake_parse_arguments(ARG "" "SHARDS;TIMEOUT;COST" "LABELS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 600)
  endif()
  math(EXPR last "${ARG_SHARDS} - 1")
  foreach(index RANGE ${last})
    set(test ${target}_shard_${index})
    add_test(NAME ${test}
             COMMAND bash ${PROJECT_SOURCE_DIR}/tests/gtest/run_shard.sh $<TARGET_FILE:${target}> ${index}
                     ${ARG_SHARDS} ${PROJECT_BINARY_DIR}/test-reports)
    set_tests_properties(${test} PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS "gtest;${ARG_LABELS}")
    if(ARG_COST)
      # ctest starts the dearest tests first, so the long shards do not end last.
      set_tests_properties(${test} PROPERTIES COST ${ARG_COST})
    endif()
  endforeach()
endfunction()
