# The layering test reads the module's sources.
target_compile_definitions(tst_${name} PRIVATE SR_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
