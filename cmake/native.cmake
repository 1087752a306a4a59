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

set(portable_files)
foreach(src ${ZELTA_PORTABLE_SOURCES})
  get_filename_component(dir ${src} DIRECTORY)
  get_filename_component(base ${src} NAME_WE)
  list(APPEND portable_files ${PROJECT_SOURCE_DIR}/${src})
  if(EXISTS ${PROJECT_SOURCE_DIR}/${dir}/${base}.h)
    list(APPEND portable_files ${PROJECT_SOURCE_DIR}/${dir}/${base}.h)
  endif()
endforeach()
add_test(NAME native.portable-ascii
         COMMAND ${PROJECT_SOURCE_DIR}/tests/check_portable_ascii.sh ${portable_files})
