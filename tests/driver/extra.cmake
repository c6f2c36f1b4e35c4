# The recordings are read back through libavformat (media_probe.h); the
# program itself loads FFmpeg only in its video module.
target_link_libraries(test_driver PRIVATE PkgConfig::FFMPEG)

# The program as a whole, driven by scripts: the installed program finds its
# data and its video module (the script moves the build's away for a moment,
# so no other test may run beside it), and Ctrl+C or SIGTERM while a dialog is
# open.
add_test(NAME driver.installed_program_finds_its_data
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/driver/install_test.sh ${CMAKE_BINARY_DIR}
                 ${VORN_DATA_DIR} $<TARGET_FILE:vorn_video>)
set_tests_properties(driver.installed_program_finds_its_data PROPERTIES RUN_SERIAL TRUE
                     TIMEOUT 300)
add_test(NAME driver.signal_during_a_dialog
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/driver/stop_signal_test.sh $<TARGET_FILE:vorn>
                 ${VORN_DATA_DIR})
set_tests_properties(driver.signal_during_a_dialog PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77)

# The live path's threaded tests and the two-band drawing (core/bands.h) once
# more under ThreadSanitizer, built from
# only the sources they need so that the build stays short. Configure with
# -DVORN_TSAN=ON and build the target test_threads_tsan (.ci/run does).
if(VORN_TSAN)
  find_package(Threads REQUIRED)
  pkg_check_modules(TSAN_SDL2 REQUIRED IMPORTED_TARGET sdl2)
  pkg_check_modules(TSAN_XMP REQUIRED IMPORTED_TARGET libxmp)
  set(root ${CMAKE_SOURCE_DIR})
  add_executable(test_threads_tsan EXCLUDE_FROM_ALL
    ${CMAKE_CURRENT_SOURCE_DIR}/driver/test_live_threads.cpp
    ${root}/driver/music_sdl.cpp ${root}/music/heard_sample.cpp ${root}/music/xmp_player.cpp
    ${root}/music/xm_sync.cpp ${root}/driver/show.cpp ${root}/driver/display_sdl.cpp
    ${root}/driver/frame_layout.cpp ${root}/driver/frame_pacer.cpp
    ${root}/core/sync.cpp ${root}/core/clock.cpp ${root}/core/screen.cpp ${root}/render/tables.cpp
    ${root}/assets/file_bytes.cpp ${root}/assets/load_report.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/render/test_bands.cpp ${root}/core/bands.cpp
    ${root}/render/fill_depth.cpp ${root}/render/depth.cpp ${root}/render/sprite.cpp
    ${root}/render/object.cpp)
  target_include_directories(test_threads_tsan PRIVATE ${root} ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_options(test_threads_tsan PRIVATE -fsanitize=thread -g -O1)
  target_link_options(test_threads_tsan PRIVATE -fsanitize=thread)
  target_link_libraries(test_threads_tsan PRIVATE PkgConfig::TSAN_SDL2 PkgConfig::TSAN_XMP
    Threads::Threads GTest::gtest_main)
  target_compile_definitions(test_threads_tsan PRIVATE VORN_TEST_BINARY_DIR="${CMAKE_BINARY_DIR}")
endif()
