# One static library per layer; every .cpp in the layer's folder belongs to it, so adding a file
# needs no edit here. Headers are included as "layer/name.h" from the project root.
function(vemo_add_layer target dir)
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT _sources)
    # A layer still without code: an empty unit keeps the target linkable.
    set(_empty ${CMAKE_CURRENT_BINARY_DIR}/${target}_empty.cpp)
    file(WRITE ${_empty} "")
    set(_sources ${_empty})
  endif()
  add_library(${target} STATIC ${_sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
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
