# The libraries of the browser build, built with emscripten by
# scripts/webLibs.sh into TARNWICK_WEB_LIBS, under the names the desktop
# build's packages give them.
set(TARNWICK_WEB_LIBS "" CACHE PATH "The folder scripts/webLibs.sh built the browser's libraries into")
if(NOT EXISTS "${TARNWICK_WEB_LIBS}/lib/libSDL2.a")
  message(FATAL_ERROR "TARNWICK_WEB_LIBS='${TARNWICK_WEB_LIBS}' holds no browser libraries: build with scripts/web.sh")
endif()

# One imported static library: name, archive, further link items.
function(tarnwick_web_library name archive)
  add_library(${name} INTERFACE IMPORTED GLOBAL)
  # Not a system folder: emscripten puts an SDL 1.3 of its own among those,
  # and SDL2's headers must come first.
  set_target_properties(${name} PROPERTIES SYSTEM OFF
    INTERFACE_INCLUDE_DIRECTORIES "${TARNWICK_WEB_LIBS}/include;${TARNWICK_WEB_LIBS}/include/SDL2"
    INTERFACE_LINK_LIBRARIES "${TARNWICK_WEB_LIBS}/lib/${archive};${ARGN}")
endfunction()

tarnwick_web_library(PkgConfig::SDL2 libSDL2.a)
# By path: -lSDL2_mixer would be taken as emscripten's own port.
tarnwick_web_library(PkgConfig::SDL2_MIXER libSDL2_mixer.a PkgConfig::SDL2)
tarnwick_web_library(ZLIB::ZLIB libz.a)
tarnwick_web_library(PNG::PNG libpng16.a ZLIB::ZLIB)

# stb's header-only image writer comes from the desktop's Debian package
# (libstb-dev), seen through a folder of its own rather than all of /usr/include.
if(NOT EXISTS /usr/include/stb/stb_image_write.h)
  message(FATAL_ERROR "stb/stb_image_write.h is missing: install libstb-dev (scripts/setup.sh does)")
endif()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/include)
file(CREATE_LINK /usr/include/stb ${CMAKE_BINARY_DIR}/include/stb SYMBOLIC)
include_directories(SYSTEM ${CMAKE_BINARY_DIR}/include)
