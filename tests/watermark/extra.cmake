# The area pick grabs the screen once the manager has left it: also under a compositing
# manager, which redraws the uncovered screen a moment after the window goes.
add_test(NAME ${name}_composite COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/with-services.sh --composite
  $<TARGET_FILE:tst_${name}> WatermarkAreaPickTest::pickedPictureHoldsNoPixelOfTheManager)
set_tests_properties(${name}_composite PROPERTIES ENVIRONMENT SR_TEST_KIND=display LABELS ${name} TIMEOUT 900)
