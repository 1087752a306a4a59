# Drive faults: the real program, driven from another process, against the
# loopback vendor server serving the sample distribution, on drives that
# fill up, over read-only files and over a half-finished earlier run.
zelta_driver_tests(drive_fault_tests tests/e2e/drive_fault_test.cpp)

# Arguments after the filter: the small drives (LETTER=SIZE,
# tests/e2e/with_small_drive.sh), mapped in prefix-small.
function(zelta_drive_fault_test name filter)
  zelta_site_test(${name} prefix-small drive_fault_tests ${filter}
    ${PROJECT_SOURCE_DIR}/tests/e2e/with_small_drive.sh ${ZELTA_WINE_DIR} ${ARGN} --)
endfunction()

# The sample's download area takes 557 pages of 4 KiB (2.2 MB: the files,
# the lists, the catalogue and a one-page record beside each download), its
# installed tree on the target drive 537 more. S: (768 KiB) fills up while
# the download brings Bin\zelta.exe; T: (3080 KiB) holds the download and
# fills up while the installation copies Bin\zelta.exe. The test checks
# these sizes against the distribution it is served. Where no private mount
# namespace can be had, the drives are missing and the cases skip.
zelta_drive_fault_test(e2e.drive-full "SmallDrive.*:InstallationFillsTheDrive.*" S=768k T=3080k)
set_tests_properties(e2e.drive-full PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
# Read-only targets and a second run over a cancelled or killed one, on C:.
zelta_drive_fault_test(e2e.drive-rerun "SystemDrive.*")
