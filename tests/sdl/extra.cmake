# The live path's threaded tests and the two-band drawing (core/bands.h) once
# more under ThreadSanitizer, linked with the folders' libraries as the
# program is (the whole build is instrumented when VORN_TSAN is on).
# Configure with -DVORN_TSAN=ON and build the target test_threads_tsan
# (.ci/run does).
if(VORN_TSAN)
  add_executable(test_threads_tsan EXCLUDE_FROM_ALL
    ${CMAKE_CURRENT_SOURCE_DIR}/sdl/test_live_threads.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/render/test_bands.cpp)
  target_include_directories(test_threads_tsan PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(test_threads_tsan PRIVATE vorn_sdl GTest::gtest_main)
  target_compile_definitions(test_threads_tsan PRIVATE VORN_TEST_BINARY_DIR="${CMAKE_BINARY_DIR}")
endif()
