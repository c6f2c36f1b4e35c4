# The live path's threaded tests and the two-band drawing (core/bands.h) once
# more under ThreadSanitizer, built from
# only the sources they need so that the build stays short. Configure with
# -DVORN_TSAN=ON and build the target test_threads_tsan (.ci/run does).
if(VORN_TSAN)
  find_package(Threads REQUIRED)
  pkg_check_modules(TSAN_SDL2 REQUIRED IMPORTED_TARGET sdl2)
  pkg_check_modules(TSAN_XMP REQUIRED IMPORTED_TARGET libxmp)
  pkg_check_modules(TSAN_PNG REQUIRED IMPORTED_TARGET libpng)
  set(root ${CMAKE_SOURCE_DIR})
  add_executable(test_threads_tsan EXCLUDE_FROM_ALL
    ${CMAKE_CURRENT_SOURCE_DIR}/sdl/test_live_threads.cpp
    ${root}/sdl/music_sdl.cpp ${root}/music/heard_sample.cpp ${root}/music/xmp_player.cpp
    ${root}/music/xm_sync.cpp ${root}/show/show.cpp ${root}/show/show_loop.cpp
    ${root}/show/replay.cpp ${root}/show/recorder.cpp ${root}/show/show_player.cpp
    ${root}/show/png_write.cpp ${root}/music/music_timeline.cpp ${root}/sdl/display_sdl.cpp
    ${root}/sdl/frame_layout.cpp ${root}/show/frame_pacer.cpp
    ${root}/core/sync.cpp ${root}/core/clock.cpp ${root}/core/screen.cpp ${root}/render/tables.cpp
    ${root}/assets/file_bytes.cpp ${root}/assets/load_report.cpp ${root}/core/show_text.cpp
    ${root}/scenes/start_up.cpp ${root}/core/rand.cpp ${root}/sdl/display_probe.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/render/test_bands.cpp ${root}/core/bands.cpp
    ${root}/render/fill_depth.cpp ${root}/render/depth.cpp ${root}/render/sprite.cpp
    ${root}/render/object.cpp)
  target_include_directories(test_threads_tsan PRIVATE ${root} ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_options(test_threads_tsan PRIVATE -fsanitize=thread -g -O1)
  target_link_options(test_threads_tsan PRIVATE -fsanitize=thread)
  target_link_libraries(test_threads_tsan PRIVATE PkgConfig::TSAN_SDL2 PkgConfig::TSAN_XMP PkgConfig::TSAN_PNG
    Threads::Threads GTest::gtest_main)
  target_compile_definitions(test_threads_tsan PRIVATE VORN_TEST_BINARY_DIR="${CMAKE_BINARY_DIR}")
endif()
