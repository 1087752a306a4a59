# Drive faults: the real program, driven from another process, against the
# loopback vendor server serving the sample distribution, on drives that
# fill up, over read-only files and over a half-finished earlier run.
zelta_driver_tests(drive_fault_tests tests/e2e/drive_fault_test.cpp)

# Arguments after the name: the gtest filter, then the small drives
# (LETTER=SIZE, tests/e2e/with_small_drive.sh), mapped in prefix-small.
function(zelta_drive_fault_test name filter)
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -E env
      WINE_HARNESS_PREFIX=${ZELTA_WINE_DIR}/prefix-small
      ZELTA_FAULT_SERVER=${ZELTA_NATIVE_BUILD}/fault-server
      ${PROJECT_SOURCE_DIR}/tests/win/with_sample_site.sh ${CMAKE_BINARY_DIR}/vendor/${name}
        ${ZELTA_NATIVE_BUILD}/zelta-dist $<TARGET_FILE:zelta_sample_product> ${ZELTA_SAMPLE_FONT}
        -- --web-host ${ZELTA_WEB_HOST} --download-host ${ZELTA_DOWNLOAD_HOST}
        -- ${PROJECT_SOURCE_DIR}/tests/e2e/with_small_drive.sh ${ZELTA_WINE_DIR} ${ARGN}
        -- ${ZELTA_WINE_HARNESS} run-isolated ${ZELTA_WINE_DIR} $<TARGET_FILE:drive_fault_tests>
           --gtest_filter=${filter})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300 RUN_SERIAL TRUE)
endfunction()

# The sample's download area takes 542 pages of 4 KiB (2.2 MB), its
# installed tree on the target drive 537 more. S: (768 KiB) fills up while
# the download brings Bin\zelta.exe; T: (3080 KiB) holds the download and
# fills up while the installation copies Bin\zelta.exe. The test checks
# these sizes against the distribution it is served. Where no private mount
# namespace can be had, the drives are missing and the cases skip.
zelta_drive_fault_test(e2e.drive-full "SmallDrive.*:InstallationFillsTheDrive.*" S=768k T=3080k)
set_tests_properties(e2e.drive-full PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
# Read-only targets and a second run over a cancelled or killed one, on C:.
zelta_drive_fault_test(e2e.drive-rerun "SystemDrive.*")
