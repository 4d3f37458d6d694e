# The engine's tests read media with FFmpeg directly.
target_link_libraries(tst_${name} PRIVATE PkgConfig::FFMPEG)
