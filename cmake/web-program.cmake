# The browser build: tripath.js and tripath.wasm, the data package
# tripath.data (the data folder of a native build, TRIPATH_HOST_DATA_DIR,
# preloaded at /data) and the page with its manifest and the game's icon,
# side by side in the build's game/ folder, which build-web.sh copies to
# dist/tripath-web/ under content-hashed names.
set(TRIPATH_HOST_DATA_DIR "" CACHE PATH "data folder of a native build (made by tripath-assets)")
if(NOT EXISTS ${TRIPATH_HOST_DATA_DIR}/logo.png)
  message(FATAL_ERROR "TRIPATH_HOST_DATA_DIR must name the data folder of a native build "
                      "(see build-web.sh)")
endif()

set_target_properties(tripath PROPERTIES SUFFIX .js)
target_link_options(tripath PRIVATE
  -sENVIRONMENT=web -sMAX_WEBGL_VERSION=1 -sALLOW_MEMORY_GROWTH=1
  "SHELL:--preload-file ${TRIPATH_HOST_DATA_DIR}@/data")
# The package is rebuilt whenever a data file changes.
file(GLOB_RECURSE tripath_web_data CONFIGURE_DEPENDS ${TRIPATH_HOST_DATA_DIR}/*)
set_property(TARGET tripath APPEND PROPERTY LINK_DEPENDS ${tripath_web_data})

# The scripts the runtime takes in (the player's files, the sound) are part
# of the program too.
set_property(TARGET tripath APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/shell/web_files.js
                                                         ${PROJECT_SOURCE_DIR}/audio/web_audio.js)

add_custom_command(
  OUTPUT ${TRIPATH_GAME_DIR}/index.html ${TRIPATH_GAME_DIR}/manifest.webmanifest
         ${TRIPATH_GAME_DIR}/icon.png
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/dist/web/index.html
          ${PROJECT_SOURCE_DIR}/dist/web/manifest.webmanifest ${TRIPATH_GAME_DIR}/
  COMMAND ${CMAKE_COMMAND} -E copy ${TRIPATH_HOST_DATA_DIR}/logo.png ${TRIPATH_GAME_DIR}/icon.png
  DEPENDS ${PROJECT_SOURCE_DIR}/dist/web/index.html
          ${PROJECT_SOURCE_DIR}/dist/web/manifest.webmanifest ${TRIPATH_HOST_DATA_DIR}/logo.png)
add_custom_target(tripath_web_page ALL
                  DEPENDS ${TRIPATH_GAME_DIR}/index.html ${TRIPATH_GAME_DIR}/manifest.webmanifest
                          ${TRIPATH_GAME_DIR}/icon.png)
