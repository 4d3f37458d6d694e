# The snapshot tests put a screen source of their own into the engine.
target_link_libraries(tst_${name} PRIVATE screencastengine)
# The screenshot's overlay and the drawing layers once more on a desktop with a compositing
# manager that draws shadows, where translucent and shaped windows take another path.
add_test(NAME ${name}_composite
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/with-services.sh --sound --composite $<TARGET_FILE:tst_${name}>
          SnapshotFlowTest)
set_tests_properties(${name}_composite PROPERTIES ENVIRONMENT "SR_TEST_KIND=display;SR_TEST_COMPOSITING=1"
  LABELS ${name} TIMEOUT 900)
