# The status item's menu is reached through a real system tray: the tray host program of the
# output tests.
add_dependencies(tst_${name} sr_trayhost)
target_compile_definitions(tst_${name} PRIVATE SR_TRAYHOST="$<TARGET_FILE:sr_trayhost>")
# The sound tests decode the saved files with FFmpeg.
target_link_libraries(tst_${name} PRIVATE PkgConfig::FFMPEG)
