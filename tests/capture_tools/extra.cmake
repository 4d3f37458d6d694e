# The snapshot tests put a screen source of their own into the engine.
target_link_libraries(tst_${name} PRIVATE screencastengine)
