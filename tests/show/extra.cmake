# The recordings are read back through libavformat (media_probe.h); the
# program itself loads FFmpeg only in its video module.
target_link_libraries(test_show PRIVATE PkgConfig::FFMPEG)
