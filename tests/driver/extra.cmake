# The live path's threaded tests once more under ThreadSanitizer, built from
# only the sources they need so that the build stays short. Configure with
# -DVORN_TSAN=ON and build the target test_threads_tsan (.ci/run does).
if(VORN_TSAN)
  find_package(Threads REQUIRED)
  pkg_check_modules(TSAN_SDL2 REQUIRED IMPORTED_TARGET sdl2)
  pkg_check_modules(TSAN_XMP REQUIRED IMPORTED_TARGET libxmp)
  set(root ${CMAKE_SOURCE_DIR})
  add_executable(test_threads_tsan EXCLUDE_FROM_ALL
    ${CMAKE_CURRENT_SOURCE_DIR}/driver/test_live_threads.cpp
    ${root}/driver/music_sdl.cpp ${root}/driver/heard_sample.cpp ${root}/driver/xmp_player.cpp
    ${root}/driver/xm_sync.cpp ${root}/driver/show.cpp ${root}/driver/display_sdl.cpp
    ${root}/driver/frame_layout.cpp ${root}/driver/frame_pacer.cpp
    ${root}/core/sync.cpp ${root}/core/clock.cpp ${root}/core/screen.cpp ${root}/render/tables.cpp)
  target_include_directories(test_threads_tsan PRIVATE ${root} ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_options(test_threads_tsan PRIVATE -fsanitize=thread -g -O1)
  target_link_options(test_threads_tsan PRIVATE -fsanitize=thread)
  target_link_libraries(test_threads_tsan PRIVATE PkgConfig::TSAN_SDL2 PkgConfig::TSAN_XMP
    Threads::Threads GTest::gtest_main)
  target_compile_definitions(test_threads_tsan PRIVATE VORN_TEST_BINARY_DIR="${CMAKE_BINARY_DIR}")
endif()
