# The engine's tests read media with FFmpeg directly and reach the engine's inner classes.
target_link_libraries(tst_${name} PRIVATE PkgConfig::FFMPEG screencastengine)
# The tests that kill a recording or take its screen away record in a bench_record child.
add_dependencies(tst_${name} bench_record)
# The longest tests: without timings of an earlier run, ctest starts them first so that they
# do not run on alone at the end.
set_tests_properties(${name} PROPERTIES COST 1000)
if(TEST ${name}_display)
  set_tests_properties(${name}_display PROPERTIES COST 2000)
endif()
# The boundary around a moving area once more on a desktop with a compositing manager that
# draws shadows, whose picture lags the windows it composes.
add_test(NAME ${name}_composite
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/with-services.sh --sound --composite $<TARGET_FILE:tst_${name}>
          BoundaryRecordingTest)
set_tests_properties(${name}_composite PROPERTIES ENVIRONMENT "SR_TEST_KIND=display;SR_TEST_COMPOSITING=1"
  LABELS ${name} TIMEOUT 900)
