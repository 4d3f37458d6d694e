# The status item's menu is reached through a real system tray: a small tray host program.
add_executable(sr_trayhost ${CMAKE_SOURCE_DIR}/tests/support/trayhost/TrayHost.cpp)
target_link_libraries(sr_trayhost PRIVATE ovxcb)
add_dependencies(tst_${name} sr_trayhost)
target_compile_definitions(tst_${name} PRIVATE SR_TRAYHOST="$<TARGET_FILE:sr_trayhost>")
