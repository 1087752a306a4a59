# Windows build: the installer and the test programs, run under Wine.
enable_language(RC)

# Everything links statically: under Wine no MinGW runtime DLL is at hand.
add_link_options(-static -static-libgcc -static-libstdc++)
add_compile_definitions(WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0600 WINVER=0x0600)

# ctest runs every Windows program through Wine, with a prefix of this
# build directory's own (made once, then reused).
set(ZELTA_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
set(ZELTA_WINE_HARNESS ${PROJECT_SOURCE_DIR}/tools/wine/wine-harness.sh)
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELTA_WINE_HARNESS} run ${ZELTA_WINE_DIR})

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${ZELTA_GTEST_SOURCE} googletest EXCLUDE_FROM_ALL)

add_library(zelta_portable STATIC ${ZELTA_PORTABLE_SOURCES})
zelta_target_options(zelta_portable)
target_include_directories(zelta_portable PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_definitions(zelta_portable PRIVATE
  ZELTA_WEB_HOST="${ZELTA_WEB_HOST}" ZELTA_DOWNLOAD_HOST="${ZELTA_DOWNLOAD_HOST}")

# The installer's Windows code, shared by the program and the test programs.
add_library(zelta_windows STATIC
  catalogue/read_catalogue.cpp
  install/advance_progress.cpp
  web/distribution_download.cpp
  web/error_formatter.cpp
  web/internet_session.cpp
  web/remote_file.cpp
  web/vendor_connection.cpp
)
zelta_target_options(zelta_windows)
target_link_libraries(zelta_windows PUBLIC zelta_portable wininet comctl32)

# Resources go in as an object library so that the test programs carry the
# same string table as the installer.
add_library(zelta_resources OBJECT resources/installer.rc)
target_include_directories(zelta_resources PRIVATE ${PROJECT_SOURCE_DIR})

add_executable(ZeltaWebInstall WIN32 app/main.cpp $<TARGET_OBJECTS:zelta_resources>)
zelta_target_options(ZeltaWebInstall)
target_link_libraries(ZeltaWebInstall PRIVATE zelta_windows)

# Test programs.
add_executable(portable_tests_win ${ZELTA_PORTABLE_TESTS})
zelta_target_options(portable_tests_win)
target_link_libraries(portable_tests_win PRIVATE zelta_portable GTest::gtest_main)

add_executable(windows_tests
  tests/win/resources_test.cpp
  tests/win/read_catalogue_test.cpp
  tests/win/error_formatter_test.cpp
  $<TARGET_OBJECTS:zelta_resources>
)
zelta_target_options(windows_tests)
target_link_libraries(windows_tests PRIVATE zelta_windows GTest::gtest_main)

add_test(NAME wine.start COMMAND ${ZELTA_WINE_HARNESS} start ${ZELTA_WINE_DIR})
add_test(NAME wine.stop COMMAND ${ZELTA_WINE_HARNESS} stop ${ZELTA_WINE_DIR})
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)

function(zelta_wine_test name)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
endfunction()

zelta_wine_test(win.portable portable_tests_win)
zelta_wine_test(win.windows windows_tests)

# The installer itself: a PE32 GUI program for i386 that starts and ends cleanly.
zelta_wine_test(win.program-format
  ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DPROGRAM=$<TARGET_FILE:ZeltaWebInstall>
  -P ${PROJECT_SOURCE_DIR}/tests/check_pe_format.cmake)
zelta_wine_test(win.program-runs ZeltaWebInstall)
