# `cmake --build build --target demo` lays out the demo installation under
# build/demo and leaves the program in build/demo/MINATORI.
add_custom_target(demo
  COMMAND layoutdemo ${CMAKE_CURRENT_SOURCE_DIR}/demo ${CMAKE_BINARY_DIR}/demo $<TARGET_FILE:minatori>
          ${MINATORI_DEMO_SOUNDS}
  DEPENDS minatori layoutdemo demo_sounds
  COMMENT "Laying out the demo installation in ${CMAKE_BINARY_DIR}/demo"
  VERBATIM)
