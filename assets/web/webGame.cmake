# The game for the browser: tarnwick.js and tarnwick.wasm, the program
# directory's data packed into tarnwick.data (mounted as /tarnwick), and the
# page that is its launcher. Included by the top-level file once the
# libraries of the game are defined.
option(TARNWICK_WEB_TESTS "Build the tests that run in the browser" OFF)
set(TARNWICK_WEB_DATA "" CACHE PATH "The program directory's data, as a desktop build makes it (scripts/web.sh)")
if(NOT EXISTS "${TARNWICK_WEB_DATA}/tiles.bin")
  message(FATAL_ERROR "TARNWICK_WEB_DATA='${TARNWICK_WEB_DATA}' holds no game data: build with scripts/web.sh")
endif()

add_executable(game app/main.cpp app/appMain.cpp app/webLauncher.cpp)
# wasm-ld finds symbols in archives in any order: no link group is needed.
target_link_libraries(game PRIVATE tarn_logic tarn_kiln tarn_device tarn_sound tarn_core tarn_sdl)
set(TARNWICK_WEB_SITE ${CMAKE_BINARY_DIR}/site CACHE PATH "The folder the page and the program go to")
set_target_properties(game PROPERTIES OUTPUT_NAME tarnwick SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${TARNWICK_WEB_SITE})
target_link_options(game PRIVATE
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=268435456
  # The page starts the game when Play is pressed, with its switches.
  -sINVOKE_RUN=0 -sEXIT_RUNTIME=1
  # dynCall: SDL2's audio code calls it.
  "-sEXPORTED_RUNTIME_METHODS=['callMain','ccall','FS','dynCall']" -sDYNCALLS=1
  "-sEXPORTED_FUNCTIONS=['_main','_web_stored_flags','_web_store_flags']" -sFORCE_FILESYSTEM=1 -lidbfs.js
  -sENVIRONMENT=web
  "SHELL:--preload-file \"${TARNWICK_WEB_DATA}@/tarnwick\""
  "SHELL:--pre-js \"${CMAKE_SOURCE_DIR}/assets/web/pre.js\"" "SHELL:--pre-js \"${CMAKE_SOURCE_DIR}/assets/web/sdlShims.js\"")
set_property(TARGET game APPEND PROPERTY LINK_DEPENDS "${CMAKE_SOURCE_DIR}/assets/web/pre.js;${CMAKE_SOURCE_DIR}/assets/web/sdlShims.js")

# The page beside the program.
foreach(file index.html page.js page.css)
  configure_file(assets/web/${file} ${TARNWICK_WEB_SITE}/${file} COPYONLY)
endforeach()

if(TARNWICK_WEB_TESTS)
  include(assets/web/webTests.cmake)
endif()
