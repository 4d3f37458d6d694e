# The hand-over tests start the real helpers from the test program's folder.
add_dependencies(tst_${name} Launcher Feedback)
# The upload tests send requests themselves.
target_link_libraries(tst_${name} PRIVATE srfeedbackupload)
