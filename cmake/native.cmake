# Native Linux build: the portable core under the sanitizers.
option(ZELTA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)

set(ZELTA_SANITIZER_FLAGS)
if(ZELTA_SANITIZE)
  set(ZELTA_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${ZELTA_GTEST_SOURCE} googletest EXCLUDE_FROM_ALL)

add_library(zelta_portable STATIC ${ZELTA_PORTABLE_SOURCES})
zelta_target_options(zelta_portable)
target_include_directories(zelta_portable PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_definitions(zelta_portable PRIVATE
  ZELTA_WEB_HOST="${ZELTA_WEB_HOST}" ZELTA_DOWNLOAD_HOST="${ZELTA_DOWNLOAD_HOST}")
target_compile_options(zelta_portable PUBLIC ${ZELTA_SANITIZER_FLAGS})
target_link_options(zelta_portable PUBLIC ${ZELTA_SANITIZER_FLAGS})

add_executable(portable_tests ${ZELTA_PORTABLE_TESTS})
zelta_target_options(portable_tests)
target_link_libraries(portable_tests PRIVATE zelta_portable GTest::gtest_main)
add_test(NAME native.portable COMMAND portable_tests)

# The folders are floors: no include goes up a floor or round in a circle.
add_test(NAME native.floors COMMAND ${PROJECT_SOURCE_DIR}/tests/check_floors.sh ${PROJECT_SOURCE_DIR})

# The vendor's side for tests: zelta-dist, the fault server, vendor-net.sh.
add_subdirectory(tools/distribution)

# Install steps: registry record, fonts, desktop link, program group and
# launch (the text logic that needs no Windows).
target_sources(zelta_portable PRIVATE
  install/group_commands.cpp
  install/installed_time.cpp
)
target_sources(portable_tests PRIVATE
  tests/portable/group_commands_test.cpp
  tests/portable/install_paths_test.cpp
)

# File installation and directory creation: file-list entries and the
# containment of paths from the server.
target_sources(zelta_portable PRIVATE
  install/file_entry.cpp
)
target_sources(portable_tests PRIVATE
  tests/portable/file_entry_test.cpp
  tests/portable/path_names_test.cpp
)

# The picture generator (tools/art) and its tests; the Windows build compiles
# its own copy for the build host (cmake/windows.cmake).
include(${PROJECT_SOURCE_DIR}/tools/art/art.cmake)
add_library(zelta_art_core STATIC ${ZELTA_ART_TOOL_SOURCES})
zelta_target_options(zelta_art_core)
target_compile_options(zelta_art_core PUBLIC ${ZELTA_SANITIZER_FLAGS})
target_link_options(zelta_art_core PUBLIC ${ZELTA_SANITIZER_FLAGS})
# Drawing is sample-heavy: optimised, the tests redraw every clip in seconds.
target_compile_options(zelta_art_core PRIVATE -O2)
add_executable(zelta-art ${ZELTA_ART_TOOL_MAIN})
zelta_target_options(zelta-art)
target_link_libraries(zelta-art PRIVATE zelta_art_core)
add_executable(art_tests ${ZELTA_ART_TESTS})
zelta_target_options(art_tests)
target_link_libraries(art_tests PRIVATE zelta_art_core GTest::gtest_main)
add_test(NAME native.art COMMAND art_tests)
add_test(NAME native.art-generate
         COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:zelta-art> -DDIR=${CMAKE_BINARY_DIR}/art-check
                 -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                 -P ${PROJECT_SOURCE_DIR}/tests/art/check_generate.cmake)

# Setup dialog: the drive list's entries.
target_sources(zelta_portable PRIVATE setup/drive_list_text.cpp)
target_sources(portable_tests PRIVATE tests/portable/drive_list_text_test.cpp)

# Every source of the portable core, and its header, holds ASCII only (see
# tests/check_portable_ascii.sh): one check over the whole library, whoever
# added the file.
get_target_property(portable_sources zelta_portable SOURCES)
set(portable_files)
foreach(src ${portable_sources})
  get_filename_component(dir ${src} DIRECTORY)
  get_filename_component(base ${src} NAME_WE)
  list(APPEND portable_files ${PROJECT_SOURCE_DIR}/${src})
  if(EXISTS ${PROJECT_SOURCE_DIR}/${dir}/${base}.h)
    list(APPEND portable_files ${PROJECT_SOURCE_DIR}/${dir}/${base}.h)
  endif()
endforeach()
add_test(NAME native.portable-ascii
         COMMAND ${PROJECT_SOURCE_DIR}/tests/check_portable_ascii.sh ${portable_files})
