# The fault matrix: the real program, driven from another process, against
# the loopback vendor server serving the sample distribution, with the site
# changed case by case (server faults, broken catalogues and file lists).
zelta_driver_tests(fault_matrix_tests
  tests/e2e/server_fault_test.cpp
  tests/e2e/bad_distribution_test.cpp
  tests/e2e/fault_case.cpp
)

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
