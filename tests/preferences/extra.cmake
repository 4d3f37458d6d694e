# The tests drive the dialog's controls through its form.
set_target_properties(tst_${name} PROPERTIES AUTOUIC_SEARCH_PATHS ${CMAKE_SOURCE_DIR}/src/forms)
