# The include path of a target admits only the folders it may use: a directory of its own under
# the build tree (include/<target>) holds a link to each, named as from the project root, so
# "engine/crc.h" is found there and a header of a higher layer is not found at all. The path is
# PUBLIC: whatever links the target sees these folders too, and its own path comes first.
#   vemo_layer_include_path(TARGET FOLDER...)   folders relative to the project root
function(vemo_layer_include_path target)
  set(_root ${PROJECT_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${_root})
  file(MAKE_DIRECTORY ${_root})
  foreach(_folder ${ARGN})
    if(NOT IS_DIRECTORY ${PROJECT_SOURCE_DIR}/${_folder})
      message(FATAL_ERROR "${target}: no folder ${_folder} to admit")
    endif()
    get_filename_component(_parent ${_root}/${_folder} DIRECTORY)
    file(MAKE_DIRECTORY ${_parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${_folder} ${_root}/${_folder} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC ${_root})
endfunction()

# One static library per layer; every .cpp in the layer's folder belongs to it, so adding a file
# needs no edit here. Headers are included as "layer/name.h" from the project root; the include
# path admits the layer's own folder and the folders named after USES.
#   vemo_add_layer(TARGET NAME USES FOLDER...)
function(vemo_add_layer target dir)
  cmake_parse_arguments(PARSE_ARGV 2 _arg "" "" "USES")
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT _sources)
    # A layer still without code: an empty unit keeps the target linkable.
    set(_empty ${CMAKE_CURRENT_BINARY_DIR}/${target}_empty.cpp)
    file(WRITE ${_empty} "")
    set(_sources ${_empty})
  endif()
  add_library(${target} STATIC ${_sources})
  file(RELATIVE_PATH _own ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  vemo_layer_include_path(${target} ${_own} ${_arg_USES})
  target_include_directories(${target} PUBLIC ${PROJECT_BINARY_DIR}/generated)
  target_compile_features(${target} PUBLIC cxx_std_20)
  target_link_libraries(${target} PUBLIC vemo_warnings)
endfunction()

# One test executable per layer from tests/<layer>/*_test.cpp. Files named *_threads_test.cpp go
# into a second executable labelled "threads", which the ThreadSanitizer build runs alone.
function(vemo_add_layer_tests layer)
  file(GLOB _all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB _threads CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_threads_test.cpp)
  file(GLOB _support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_support.cpp)
  set(_plain ${_all})
  if(_threads)
    list(REMOVE_ITEM _plain ${_threads})
  endif()
  if(_plain AND NOT VEMO_THREAD_TESTS_ONLY)
    add_executable(vemo_${layer}_tests ${_plain} ${_support})
    target_link_libraries(vemo_${layer}_tests PRIVATE vemo_${layer} vemo_warnings GTest::gtest GTest::gtest_main
                          GTest::gmock)
    target_include_directories(vemo_${layer}_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    gtest_discover_tests(vemo_${layer}_tests DISCOVERY_MODE PRE_TEST PROPERTIES LABELS "${layer}")
  endif()
  if(_threads)
    add_executable(vemo_${layer}_threads_tests ${_threads} ${_support})
    target_link_libraries(vemo_${layer}_threads_tests PRIVATE vemo_${layer} vemo_warnings GTest::gtest
                          GTest::gtest_main GTest::gmock)
    target_include_directories(vemo_${layer}_threads_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    gtest_discover_tests(vemo_${layer}_threads_tests DISCOVERY_MODE PRE_TEST PROPERTIES LABELS threads)
  endif()
endfunction()
