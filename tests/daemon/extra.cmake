# The schedule's rules are checked on the daemon's own library; the other tests start the
# daemon program from the test program's folder.
target_link_libraries(tst_${name} PRIVATE srtaskd)
add_dependencies(tst_${name} screenrecorder-taskd)
