# The frame checksums and the vector layer's pinned lanes once more, with
# every portable library built on the plain C++ path of core/pixels4.h
# instead of its SSE2 one: both paths must give the same frames and lanes.
set(plain_srcs ${CMAKE_CURRENT_SOURCE_DIR}/scenes/test_frame_checksums.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/core/test_pixels4.cpp)
foreach(lib core render assets metaball effects scenes)
  file(GLOB lib_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${lib}/*.cpp)
  list(APPEND plain_srcs ${lib_srcs})
endforeach()
add_executable(test_frames_plain ${plain_srcs})
target_include_directories(test_frames_plain PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(test_frames_plain PRIVATE VORN_PLAIN_VECTORS
  VORN_TEST_DATA_DIR="${VORN_DATA_DIR}")
target_link_libraries(test_frames_plain PRIVATE GTest::gtest_main Threads::Threads)
add_dependencies(test_frames_plain data)
add_test(NAME FrameChecksums.PlainVectorPath COMMAND test_frames_plain)
