# The tests drive the dialogs' controls through their forms.
set_target_properties(tst_${name} PROPERTIES AUTOUIC_SEARCH_PATHS ${CMAKE_SOURCE_DIR}/src/forms)
# The coordinator's tests start the real task daemon from the test program's folder.
if(TARGET screenrecorder-taskd)
  add_dependencies(tst_${name} screenrecorder-taskd)
endif()
