# The drawing layers and the region box once more on a desktop with a compositing manager that
# draws shadows, where translucent and shaped windows take another path.
add_test(NAME ${name}_composite
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/with-services.sh --sound --composite $<TARGET_FILE:tst_${name}>
          ControlBarDesktopTest RegionBoxTest)
set_tests_properties(${name}_composite PROPERTIES ENVIRONMENT "SR_TEST_KIND=display;SR_TEST_COMPOSITING=1"
  LABELS ${name} TIMEOUT 900)
