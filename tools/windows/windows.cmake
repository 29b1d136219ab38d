# The Windows program: a GUI program (no console window) with its icon and
# version resource, and the install rules that lay out a program folder that
# works as it stands: the program, Qt as DLLs in the layout of Qt's own
# Windows deployment, SDL2.dll, the compiler's runtime and the licence texts.
# `cmake --install` with a prefix writes that folder.

set(MINATORI_ICON "" CACHE FILEPATH "The program's .ico file (made by the host tool makeicon)")
if(MINATORI_ICON)
  set(MINATORI_ICON_LINE "1 ICON \"${MINATORI_ICON}\"")
else()
  set(MINATORI_ICON_LINE "")
endif()
set(MINATORI_MANIFEST ${CMAKE_BINARY_DIR}/minatori.manifest)
configure_file(${CMAKE_CURRENT_LIST_DIR}/minatori.manifest.in ${MINATORI_MANIFEST} @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/minatori.rc.in ${CMAKE_BINARY_DIR}/minatori.rc @ONLY)
target_sources(minatori PRIVATE ${CMAKE_BINARY_DIR}/minatori.rc)
# The resource compiler does not see that the manifest is read.
set_source_files_properties(${CMAKE_BINARY_DIR}/minatori.rc PROPERTIES OBJECT_DEPENDS ${MINATORI_MANIFEST})
set_target_properties(minatori PROPERTIES WIN32_EXECUTABLE ON)

install(TARGETS minatori RUNTIME DESTINATION .)
foreach(module Core Gui Widgets PrintSupport)
  install(IMPORTED_RUNTIME_ARTIFACTS Qt6::${module} RUNTIME DESTINATION .)
endforeach()
install(IMPORTED_RUNTIME_ARTIFACTS SDL2::SDL2 RUNTIME DESTINATION .)
# Plugins beside the program in the folders the toolkit looks in.
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QWindowsIntegrationPlugin LIBRARY DESTINATION platforms RUNTIME DESTINATION platforms)
if(TARGET Qt6::QWindowsVistaStylePlugin)
  install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QWindowsVistaStylePlugin LIBRARY DESTINATION styles RUNTIME DESTINATION styles)
endif()

# The posix compiler's runtime DLLs, found where the compiler keeps them.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "The compiler's runtime ${dll} was not found (${path})")
  endif()
  install(FILES ${path} DESTINATION .)
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION licenses/minatori RENAME LICENSE.txt)
set(MINATORI_LICENSES_DIRS "" CACHE STRING "Folders of licence texts to ship, one per dependency (name=folder;…)")
foreach(entry ${MINATORI_LICENSES_DIRS})
  string(REPLACE "=" ";" pair "${entry}")
  list(GET pair 0 name)
  list(GET pair 1 folder)
  install(DIRECTORY ${folder}/ DESTINATION licenses/${name})
endforeach()
