# tripath.exe: a GUI program (no console window), with our icon, manifest
# and version information. The game's data
# comes from the asset tools of a native build, TRIPATH_HOST_DATA_DIR, and
# is copied beside the executable.
set(TRIPATH_HOST_DATA_DIR "" CACHE PATH "data folder of a native build (made by tripath-assets)")
if(NOT EXISTS ${TRIPATH_HOST_DATA_DIR}/logo.png OR NOT EXISTS ${TRIPATH_HOST_DATA_DIR}/../icons/tripath.ico)
  message(FATAL_ERROR "TRIPATH_HOST_DATA_DIR must name the data folder of a native build "
                      "(see build-windows.sh)")
endif()

set_target_properties(tripath PROPERTIES WIN32_EXECUTABLE ON)
# The icon comes from the asset tool of the native build, beside its data.
set(TRIPATH_ICON ${TRIPATH_HOST_DATA_DIR}/../icons/tripath.ico)
set(TRIPATH_VERSION4 ${PROJECT_VERSION}.0)
set(TRIPATH_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/tripath.manifest)
configure_file(${PROJECT_SOURCE_DIR}/dist/windows/tripath.manifest.in ${TRIPATH_MANIFEST} @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/dist/windows/tripath.rc.in
               ${CMAKE_CURRENT_BINARY_DIR}/tripath.rc @ONLY)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/tripath.rc PROPERTIES
                            OBJECT_DEPENDS "${TRIPATH_ICON};${TRIPATH_MANIFEST}")
target_sources(tripath PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/tripath.rc)

# The data and OpenAL Soft's DLL go beside the executable, as in the
# download (GLFW is linked in).
add_custom_target(tripath_windows_data ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${TRIPATH_HOST_DATA_DIR} ${TRIPATH_DATA_DIR})
add_custom_command(TARGET tripath POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TRIPATH_OPENAL_DLL} ${TRIPATH_GAME_DIR})
