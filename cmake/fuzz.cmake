# libFuzzer targets for the text logic that reads what the server sends:
# catalogue lookup, file-list entries, Program Manager commands, the probe,
# the download record and Content-Range, the checksum lists.
# Configure with clang: CC=clang CXX=clang++ cmake -DZELTA_FUZZ=ON ...
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "ZELTA_FUZZ needs clang (libFuzzer)")
endif()

set(ZELTA_FUZZ_SECONDS 3 CACHE STRING "How long each fuzzer runs as a test")

add_library(zelta_fuzz_core STATIC
  common/bounded_text.cpp
  common/device_name.cpp
  catalogue/catalogue_names.cpp
  web/ini_lookup.cpp
  web/transfer_text.cpp
  web/resume_plan.cpp
  web/content_checksum.cpp
  install/file_entry.cpp
  common/path_names.cpp
  install/group_commands.cpp
)
target_include_directories(zelta_fuzz_core PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(zelta_fuzz_core PUBLIC -g -O1 -fno-omit-frame-pointer
  -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all)
target_link_options(zelta_fuzz_core PUBLIC -fsanitize=fuzzer,address,undefined)

set(corpus_root ${CMAKE_BINARY_DIR}/corpus)
foreach(name ini_lookup file_entry group_command probe_scan download_record checksum_list)
  add_executable(fuzz_${name} tests/fuzz/${name}_fuzz.cpp)
  target_link_libraries(fuzz_${name} PRIVATE zelta_fuzz_core)
  target_compile_options(fuzz_${name} PRIVATE -Wall -Wextra)
  # Edge cases and inputs that once failed: tests/fuzz/regressions/<name>, replayed first.
  set(seeds ${PROJECT_SOURCE_DIR}/tests/fuzz/regressions/${name})
  add_test(NAME fuzz.${name}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
      ${PROJECT_SOURCE_DIR}/tests/fuzz/run-fuzzer.sh $<TARGET_FILE:fuzz_${name}>
      ${corpus_root}/${name} ${seeds} ${ZELTA_FUZZ_SECONDS})
  set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 300)
endforeach()
