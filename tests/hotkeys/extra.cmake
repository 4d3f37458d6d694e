# The X11 hot-key test grabs a chord from a second X connection of its own.
target_link_libraries(tst_${name} PRIVATE ovxcb)
