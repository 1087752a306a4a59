# The fault matrix: the real program, driven from another process, against
# the loopback vendor server serving the sample distribution, with the site
# changed case by case (server faults, broken catalogues and file lists).
add_executable(fault_matrix_tests
  tests/e2e/server_fault_test.cpp
  tests/e2e/bad_distribution_test.cpp
  tests/e2e/fault_case.cpp
  tests/e2e/installer_session.cpp
  tests/e2e/drive_snapshot.cpp
  tests/win/install_test_support.cpp
  tests/win/test_site.cpp
)
zelta_target_options(fault_matrix_tests)
target_link_libraries(fault_matrix_tests PRIVATE zelta_portable GTest::gtest_main ole32 uuid shell32 advapi32)
target_compile_definitions(fault_matrix_tests PRIVATE
  ZELTA_INSTALLER="$<TARGET_FILE_NAME:ZeltaWebInstall>"
  ZELTA_SAMPLE_PRODUCT="$<TARGET_FILE_NAME:zelta_sample_product>"
  ZELTA_WEB_HOST="${ZELTA_WEB_HOST}" ZELTA_DOWNLOAD_HOST="${ZELTA_DOWNLOAD_HOST}")
add_dependencies(fault_matrix_tests ZeltaWebInstall zelta_sample_product)

# One site and one server per entry; the cases change the site one by one.
function(zelta_fault_matrix_test name filter)
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -E env
      WINE_HARNESS_PREFIX=${ZELTA_WINE_DIR}/prefix-net
      ZELTA_FAULT_SERVER=${ZELTA_NATIVE_BUILD}/fault-server
      ${PROJECT_SOURCE_DIR}/tests/win/with_sample_site.sh ${CMAKE_BINARY_DIR}/vendor/${name}
        ${ZELTA_NATIVE_BUILD}/zelta-dist $<TARGET_FILE:zelta_sample_product> ${ZELTA_SAMPLE_FONT}
        -- --web-host ${ZELTA_WEB_HOST} --download-host ${ZELTA_DOWNLOAD_HOST}
        -- ${ZELTA_WINE_HARNESS} run-isolated ${ZELTA_WINE_DIR} $<TARGET_FILE:fault_matrix_tests>
           --gtest_filter=${filter})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300 RUN_SERIAL TRUE)
endfunction()
zelta_fault_matrix_test(e2e.server-faults ServerFault.*)
zelta_fault_matrix_test(e2e.bad-distributions BadDistribution.*)
