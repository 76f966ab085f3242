# The reference pictures' test for the browser: the desktop's test program,
# drawing the same views through WebGL 2 and judging them with the same
# tolerance, on GoogleTest built from Debian's sources (googletest). The
# pictures go with it as reference_test.data, mounted as /source/tests/reference.
if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest's sources are missing: install googletest (scripts/setup.sh does)")
endif()
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(TARNWICK_TEST_SITE ${TARNWICK_WEB_SITE}/tests)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/webTests/lsanSuppressions.h
  CONTENT "static const char LSAN_SUPPRESSIONS[] = \"\";\n")
add_executable(reference_test tests/referencePictureTest.cpp tests/sceneFixture.cpp tests/readBack.cpp
  tests/testShutdown.cpp tests/testMain.cpp)
target_include_directories(reference_test PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests
  ${CMAKE_BINARY_DIR}/webTests)
target_link_libraries(reference_test PRIVATE gtest tarn_logic tarn_kiln tarn_device tarn_sound tarn_core tarn_sdl)
target_compile_definitions(reference_test PRIVATE TARNWICK_BIN_DIR="/tarnwick" TARNWICK_TEST_DIR="/tmp"
  TARNWICK_SOURCE_DIR="/source")
set_target_properties(reference_test PROPERTIES SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${TARNWICK_TEST_SITE})
target_link_options(reference_test PRIVATE
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=268435456
  -sEXIT_RUNTIME=1 -sENVIRONMENT=web "-sEXPORTED_RUNTIME_METHODS=['dynCall','FS']" -sDYNCALLS=1
  "SHELL:--preload-file \"${TARNWICK_WEB_DATA}@/tarnwick\""
  "SHELL:--preload-file \"${CMAKE_SOURCE_DIR}/tests/reference@/source/tests/reference\""
  "SHELL:--pre-js \"${CMAKE_SOURCE_DIR}/assets/web/sdlShims.js\"")
configure_file(tests/web/testPage.html ${TARNWICK_TEST_SITE}/index.html COPYONLY)
