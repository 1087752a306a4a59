# Windows build: the installer and the test programs, run under Wine.
enable_language(RC)

# Everything links statically: under Wine no MinGW runtime DLL is at hand.
add_link_options(-static -static-libgcc -static-libstdc++)
add_compile_definitions(WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0600 WINVER=0x0600)

# The same sources build for 32-bit Windows (the shipped installer) and for
# 64-bit Windows (its tests, under 64-bit Wine, where the host runs no 32-bit
# programs).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(ZELTA_WINE_ARCH win64)
  set(ZELTA_MANIFEST_ARCH amd64)
  set(ZELTA_PE_FORM x86-64)
else()
  set(ZELTA_WINE_ARCH win32)
  set(ZELTA_MANIFEST_ARCH x86)
  set(ZELTA_PE_FORM i386)
endif()

# ctest runs every Windows program through Wine, with a prefix of this
# build directory's own (made once, then reused). The harness reads from
# the folder which Wine (32- or 64-bit) the build needs.
set(ZELTA_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
file(MAKE_DIRECTORY ${ZELTA_WINE_DIR})
file(CONFIGURE OUTPUT ${ZELTA_WINE_DIR}/arch CONTENT "${ZELTA_WINE_ARCH}\n")
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
  progress/advance_progress.cpp
  progress/progress_items.cpp
  progress/progress_animation.cpp
  progress/progress_message.cpp
  web/content_digest.cpp
  web/distribution_download.cpp
  web/file_download.cpp
  web/network_watch.cpp
  web/error_formatter.cpp
  web/internet_session.cpp
  web/remote_file.cpp
  web/answer_check.cpp
  web/vendor_connection.cpp
  window/centre_window.cpp
  install/install_worker.cpp
  install/progress_dialog.cpp
)
zelta_target_options(zelta_windows)
target_link_libraries(zelta_windows PUBLIC zelta_portable wininet ws2_32 comctl32)

# Resources go in as an object library so that the test programs carry the
# same string table as the installer.
set(ZELTA_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(resources/installer.manifest.in ${ZELTA_GENERATED_DIR}/installer.manifest @ONLY)
add_library(zelta_resources OBJECT resources/installer.rc)
target_include_directories(zelta_resources PRIVATE ${PROJECT_SOURCE_DIR} ${ZELTA_GENERATED_DIR})
set_property(SOURCE resources/installer.rc APPEND PROPERTY
  OBJECT_DEPENDS ${ZELTA_GENERATED_DIR}/installer.manifest)

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

# The tests run side by side (scripts/test.sh: ctest -j with the slots file
# below). Those on the build's shared wineserver and X display take the lock
# "wine-shared" and run one at a time; those with a prefix and wineserver of
# their own take a slot (tools/wine/wine-slot.sh): a copy of their prefix and
# an X display for that slot alone.
set(ZELTA_WINE_SLOTS 3 CACHE STRING "Windows tests that run side by side")
set(zelta_slots "")
foreach(slot RANGE 1 ${ZELTA_WINE_SLOTS})
  list(APPEND zelta_slots "{\"id\": \"${slot}\", \"slots\": 1}")
endforeach()
list(JOIN zelta_slots ", " zelta_slots)
file(CONFIGURE OUTPUT ${ZELTA_WINE_DIR}/slots.json
  CONTENT "{\"version\": {\"major\": 1, \"minor\": 0}, \"local\": [{\"winslot\": [${zelta_slots}]}]}\n")
set(ZELTA_WINE_SLOT ${PROJECT_SOURCE_DIR}/tools/wine/wine-slot.sh)

function(zelta_wine_test name)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300 RESOURCE_LOCK wine-shared)
endfunction()

function(zelta_slot_test name timeout)
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT ${timeout} RESOURCE_GROUPS winslot:1)
endfunction()

zelta_wine_test(win.portable portable_tests_win)
zelta_wine_test(win.windows windows_tests --gtest_shuffle --gtest_filter=-ErrorFormatterAlone.*)
zelta_wine_test(win.error-word windows_tests --gtest_filter=ErrorFormatterAlone.*)

# The installer itself: a GUI program of the build's form (PE32 i386, or
# PE32+ x86-64) that starts and ends cleanly.
zelta_wine_test(win.program-format
  ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DPROGRAM=$<TARGET_FILE:ZeltaWebInstall>
  -DFORM=${ZELTA_PE_FORM} -P ${PROJECT_SOURCE_DIR}/tests/check_pe_format.cmake)
# The check tells the two forms apart: the other form is refused.
if(ZELTA_PE_FORM STREQUAL "i386")
  set(zelta_other_form x86-64)
else()
  set(zelta_other_form i386)
endif()
add_test(NAME win.program-format-other
  COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DPROGRAM=$<TARGET_FILE:ZeltaWebInstall>
  -DFORM=${zelta_other_form} -P ${PROJECT_SOURCE_DIR}/tests/check_pe_format.cmake)
set_tests_properties(win.program-format-other PROPERTIES
  PASS_REGULAR_EXPRESSION "is not a ${zelta_other_form} image")
# It runs until its title window is closed: app_tests starts it, looks at the
# title and the setup dialog on the screen, closes it and wants exit code 0.
zelta_wine_test(win.program-runs app_tests --gtest_filter=Program.*)

# The web transfer against the loopback vendor server: inside a private
# network namespace (tools/distribution/vendor-net.sh) with a Wine prefix of its
# own, whose wineserver starts inside that namespace.
add_executable(web_tests
  tests/win/web_transfer_test.cpp
  tests/win/test_site.cpp
  tests/win/wait_until.cpp
  tests/win/recording_dialog.cpp
  tests/win/message_box_answerer.cpp
  $<TARGET_OBJECTS:zelta_resources>
)
zelta_target_options(web_tests)
target_link_libraries(web_tests PRIVATE zelta_windows GTest::gtest_main)

set(ZELTA_VENDOR_NET ${PROJECT_SOURCE_DIR}/tools/distribution/vendor-net.sh)
set(ZELTA_NATIVE_BUILD ${CMAKE_BINARY_DIR}/../native CACHE PATH "The native build (vendor tools)")

# Runs a test program under Wine inside the vendor's private network.
# Arguments after the name: vendor-net.sh options, then "--", then the
# program's arguments.
function(zelta_vendor_test name program)
  cmake_parse_arguments(ARG "" "" "NET;ARGS" ${ARGN})
  set(site ${CMAKE_BINARY_DIR}/vendor/${name}/site)
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -E env
      WINE_HARNESS_PREFIX=${ZELTA_WINE_DIR}/prefix-net
      ZELTA_FAULT_SERVER=${ZELTA_NATIVE_BUILD}/fault-server
      ${ZELTA_WINE_SLOT} ${ZELTA_VENDOR_NET} --site ${site} --state ${CMAKE_BINARY_DIR}/vendor/${name}/state
        --web-host ${ZELTA_WEB_HOST} --download-host ${ZELTA_DOWNLOAD_HOST} ${ARG_NET}
        -- ${ZELTA_WINE_HARNESS} run-isolated ${ZELTA_WINE_DIR} $<TARGET_FILE:${program}> ${ARG_ARGS})
  zelta_slot_test(${name} 600)
endfunction()

zelta_vendor_test(web.transfer web_tests ARGS --gtest_filter=-*NoHttps_*:*NoServer_*)
zelta_vendor_test(web.no-https web_tests NET --no-https ARGS --gtest_filter=*NoHttps_*)
zelta_vendor_test(web.no-server web_tests NET --no-https --no-http ARGS --gtest_filter=*NoServer_*)

# Install steps: registry record, fonts, desktop link, program group and
# launch.
target_sources(zelta_portable PRIVATE
  install/group_commands.cpp
  install/installed_time.cpp
)
target_sources(portable_tests_win PRIVATE
  tests/portable/group_commands_test.cpp
  tests/portable/install_paths_test.cpp
)
target_sources(zelta_windows PRIVATE
  install/catalogue_value.cpp
  install/registry_access.cpp
  install/registry_record.cpp
  install/font_installation.cpp
  install/desktop_shortcut.cpp
  install/group_conversation.cpp
  install/program_group.cpp
  install/installation_finish.cpp
)
target_link_libraries(zelta_windows PUBLIC advapi32 gdi32 user32 shell32 ole32 uuid)

# Stands in for the installed system (ZeltaWin32.exe): leaves started.txt
# next to itself with its command line and start folder.
add_executable(zelta_sample_product WIN32 tools/sample-product/main.cpp)
zelta_target_options(zelta_sample_product)

add_executable(install_steps_tests
  tests/win/registry_test.cpp
  tests/win/fonts_test.cpp
  tests/win/shortcut_test.cpp
  tests/win/program_group_test.cpp
  tests/win/install_test_support.cpp
  tests/win/test_site.cpp
  tests/win/wait_until.cpp
  $<TARGET_OBJECTS:zelta_resources>
)
zelta_target_options(install_steps_tests)
target_link_libraries(install_steps_tests PRIVATE zelta_windows GTest::gtest_main)
target_compile_definitions(install_steps_tests PRIVATE
  ZELTA_SAMPLE_PRODUCT="$<TARGET_FILE_NAME:zelta_sample_product>")
add_dependencies(install_steps_tests zelta_sample_product)
zelta_wine_test(win.install-steps install_steps_tests
  --gtest_filter=-ProgramGroup*:FinishInstallation*)
zelta_wine_test(win.program-group install_steps_tests
  --gtest_filter=ProgramGroup*:FinishInstallation*)

# File installation and directory creation.
target_sources(zelta_portable PRIVATE
  install/file_entry.cpp
)
target_sources(portable_tests_win PRIVATE
  tests/portable/file_entry_test.cpp
  tests/portable/path_names_test.cpp
)
target_sources(zelta_windows PRIVATE
  install/directory_creation.cpp
  install/file_installation.cpp
)
add_executable(file_installation_tests
  tests/win/file_installation_test.cpp
  tests/win/directory_creation_test.cpp
  tests/win/progress_items_test.cpp
  tests/win/recording_dialog.cpp
  tests/win/message_box_answerer.cpp
  tests/win/test_site.cpp
  tests/win/wait_until.cpp
  $<TARGET_OBJECTS:zelta_resources>
)
zelta_target_options(file_installation_tests)
target_link_libraries(file_installation_tests PRIVATE zelta_windows GTest::gtest_main)
zelta_wine_test(win.file-installation file_installation_tests
  --gtest_filter=-FileInstallationTinyDriveTest.*)
# A copy onto a drive too small for it (tests/win/with_tiny_drive.sh); skipped
# where no private mount namespace can be had.
add_test(NAME win.file-installation-tiny-drive
  COMMAND ${PROJECT_SOURCE_DIR}/tests/win/with_tiny_drive.sh ${ZELTA_WINE_DIR}
    $<TARGET_FILE:file_installation_tests> --gtest_filter=FileInstallationTinyDriveTest.*)
set_tests_properties(win.file-installation-tiny-drive PROPERTIES
  FIXTURES_REQUIRED wine TIMEOUT 300 RESOURCE_LOCK wine-shared SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")

# Pictures and animation clips of the resources, drawn at build time by the
# generator in tools/art. The generator is compiled here for the build host
# with the host's own compiler, so this build needs no other build tree. It
# writes the files and the resource script fragment ${ZELTA_ART_DIR}/art.rc
# (target zelta_art), which resources/installer.rc can #include "art.rc".
include(${PROJECT_SOURCE_DIR}/tools/art/art.cmake)
find_program(ZELTA_HOST_CXX NAMES c++ g++ clang++ REQUIRED)
set(ZELTA_ART_DIR ${CMAKE_BINARY_DIR}/art)
set(ZELTA_ART_TOOL ${CMAKE_BINARY_DIR}/host/zelta-art)
list(TRANSFORM ZELTA_ART_TOOL_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE art_sources)
list(TRANSFORM ZELTA_ART_TOOL_HEADERS PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE art_headers)
add_custom_command(OUTPUT ${ZELTA_ART_TOOL}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
  COMMAND ${ZELTA_HOST_CXX} -std=c++17 -O2 -Wall -Wextra -I${PROJECT_SOURCE_DIR}
    ${art_sources} ${PROJECT_SOURCE_DIR}/${ZELTA_ART_TOOL_MAIN} -o ${ZELTA_ART_TOOL}
  DEPENDS ${art_sources} ${art_headers} ${PROJECT_SOURCE_DIR}/${ZELTA_ART_TOOL_MAIN}
  COMMENT "Compiling the picture generator for the build host"
  VERBATIM)
list(TRANSFORM ZELTA_ART_FILE_NAMES PREPEND ${ZELTA_ART_DIR}/ OUTPUT_VARIABLE ZELTA_ART_FILES)
add_custom_command(OUTPUT ${ZELTA_ART_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZELTA_ART_DIR}
  COMMAND ${ZELTA_ART_TOOL} write ${ZELTA_ART_DIR}
  DEPENDS ${ZELTA_ART_TOOL}
  COMMENT "Drawing the installer's pictures and clips"
  VERBATIM)
add_custom_target(zelta_art DEPENDS ${ZELTA_ART_FILES})
target_include_directories(zelta_resources PRIVATE ${ZELTA_ART_DIR})
add_dependencies(zelta_resources zelta_art)

# The pictures under Wine: loaded, played and decoded from a program's own
# resources (only the generated ones, through art.rc).
add_executable(art_tests_win tests/art/art_resources_test.cpp tests/art/art_test.rc)
zelta_target_options(art_tests_win)
target_include_directories(art_tests_win PRIVATE ${ZELTA_ART_DIR})
add_dependencies(art_tests_win zelta_art)
target_link_libraries(art_tests_win PRIVATE GTest::gtest_main comctl32 msvfw32 gdi32)
zelta_wine_test(win.art art_tests_win)

# The progress dialog and the install worker against the loopback server.
add_executable(install_worker_tests
  tests/win/install_worker_test.cpp
  tests/win/sample_installation_test.cpp
  tests/win/install_test_support.cpp
  tests/win/message_box_answerer.cpp
  tests/win/test_site.cpp
  tests/win/wait_until.cpp
  $<TARGET_OBJECTS:zelta_resources>
)
zelta_target_options(install_worker_tests)
target_link_libraries(install_worker_tests PRIVATE zelta_windows GTest::gtest_main)
target_compile_definitions(install_worker_tests PRIVATE
  ZELTA_SAMPLE_PRODUCT="$<TARGET_FILE_NAME:zelta_sample_product>")
zelta_vendor_test(worker.roads install_worker_tests ARGS --gtest_filter=-*NoHttps_*:*NoServer_*:SampleDistribution.*)
zelta_vendor_test(worker.no-https install_worker_tests NET --no-https ARGS --gtest_filter=*NoHttps_*)
zelta_vendor_test(worker.no-server install_worker_tests NET --no-https --no-http ARGS --gtest_filter=*NoServer_*)

# The whole sample distribution, installed end to end.
set(ZELTA_SAMPLE_FONT /usr/share/wine/fonts/webdings.ttf CACHE FILEPATH "The sample distribution's font file")
add_test(NAME worker.sample-distribution
  COMMAND ${CMAKE_COMMAND} -E env
    WINE_HARNESS_PREFIX=${ZELTA_WINE_DIR}/prefix-net
    ZELTA_FAULT_SERVER=${ZELTA_NATIVE_BUILD}/fault-server
    ${ZELTA_WINE_SLOT} ${PROJECT_SOURCE_DIR}/tests/win/with_sample_site.sh ${CMAKE_BINARY_DIR}/vendor/sample
      ${ZELTA_NATIVE_BUILD}/zelta-dist $<TARGET_FILE:zelta_sample_product> ${ZELTA_SAMPLE_FONT}
      -- --web-host ${ZELTA_WEB_HOST} --download-host ${ZELTA_DOWNLOAD_HOST}
      -- ${ZELTA_WINE_HARNESS} run-isolated ${ZELTA_WINE_DIR} $<TARGET_FILE:install_worker_tests>
         --gtest_filter=SampleDistribution.*)
zelta_slot_test(worker.sample-distribution 600)

# End to end: the real program driven from another process, as a user would.
# A test program of that kind: its own test files, the driver and the
# support it shares with the others.
function(zelta_driver_tests name)
  add_executable(${name} ${ARGN}
    tests/e2e/installer_session.cpp
    tests/e2e/drive_snapshot.cpp
    tests/win/install_test_support.cpp
    tests/win/test_site.cpp
    tests/win/wait_until.cpp
  )
  zelta_target_options(${name})
  target_link_libraries(${name} PRIVATE zelta_portable GTest::gtest_main ole32 uuid shell32 advapi32)
  target_compile_definitions(${name} PRIVATE
    ZELTA_INSTALLER="$<TARGET_FILE_NAME:ZeltaWebInstall>"
    ZELTA_SAMPLE_PRODUCT="$<TARGET_FILE_NAME:zelta_sample_product>"
    ZELTA_WEB_HOST="${ZELTA_WEB_HOST}" ZELTA_DOWNLOAD_HOST="${ZELTA_DOWNLOAD_HOST}")
  add_dependencies(${name} ZeltaWebInstall zelta_sample_product)
endfunction()
zelta_driver_tests(e2e_tests tests/e2e/e2e_test.cpp)

# One test entry of such a program: its own site and server (a copy of the
# sample distribution that its cases change one by one), in the Wine prefix
# PREFIX. Arguments after the filter: a wrapper command, ending with "--",
# that runs the program (tests/e2e/with_small_drive.sh, for example).
# NET names further vendor-net.sh options (--dark-https, ...).
function(zelta_site_test name prefix program filter)
  cmake_parse_arguments(ARG "" "" "NET" ${ARGN})
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -E env
      WINE_HARNESS_PREFIX=${ZELTA_WINE_DIR}/${prefix}
      ZELTA_FAULT_SERVER=${ZELTA_NATIVE_BUILD}/fault-server
      ${ZELTA_WINE_SLOT} ${PROJECT_SOURCE_DIR}/tests/win/with_sample_site.sh ${CMAKE_BINARY_DIR}/vendor/${name}
        ${ZELTA_NATIVE_BUILD}/zelta-dist $<TARGET_FILE:zelta_sample_product> ${ZELTA_SAMPLE_FONT}
        -- --web-host ${ZELTA_WEB_HOST} --download-host ${ZELTA_DOWNLOAD_HOST} ${ARG_NET}
        -- ${ARG_UNPARSED_ARGUMENTS} ${ZELTA_WINE_HARNESS} run-isolated ${ZELTA_WINE_DIR} $<TARGET_FILE:${program}>
           --gtest_filter=${filter})
  zelta_slot_test(${name} 600)
endfunction()

set(ZELTA_SHOTS_DIR ${CMAKE_BINARY_DIR}/screenshots)
function(zelta_e2e_test name)
  cmake_parse_arguments(ARG "" "" "NET;FILTER" ${ARGN})
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -E env
      WINE_HARNESS_PREFIX=${ZELTA_WINE_DIR}/prefix-net
      ZELTA_FAULT_SERVER=${ZELTA_NATIVE_BUILD}/fault-server
      ZELTA_SHOTS=${ZELTA_SHOTS_DIR}
      ${ZELTA_WINE_SLOT} ${PROJECT_SOURCE_DIR}/tests/e2e/run_e2e.sh ${CMAKE_BINARY_DIR}/vendor/${name}
        ${ZELTA_NATIVE_BUILD}/zelta-dist $<TARGET_FILE:zelta_sample_product> ${ZELTA_SAMPLE_FONT}
        -- --web-host ${ZELTA_WEB_HOST} --download-host ${ZELTA_DOWNLOAD_HOST} ${ARG_NET}
        -- ${ZELTA_WINE_HARNESS} run-isolated ${ZELTA_WINE_DIR} $<TARGET_FILE:e2e_tests>
           --gtest_filter=${ARG_FILTER})
  zelta_slot_test(${name} 900)
endfunction()
# One whole installation and one cancel: part of the short set that proves
# the shipped program where only an emulated machine can run it.
zelta_e2e_test(e2e.user FILTER EndToEnd.FullInstallationOverHttps:EndToEnd.CancelDuringTheDownload)
zelta_e2e_test(e2e.user-more
  FILTER -*NoHttps_*:*NoServer_*:EndToEnd.FullInstallationOverHttps:EndToEnd.CancelDuringTheDownload)
zelta_e2e_test(e2e.no-https NET --no-https FILTER *NoHttps_*)
zelta_e2e_test(e2e.no-server NET --no-https --no-http FILTER *NoServer_*)

# The demo's film (tools/film/record.sh) of the demo's own run, checked with
# ffprobe against the run's length.
add_test(NAME e2e.film
  COMMAND ${CMAKE_COMMAND} -E env
    WINE_HARNESS_PREFIX=${ZELTA_WINE_DIR}/prefix-net
    ZELTA_FAULT_SERVER=${ZELTA_NATIVE_BUILD}/fault-server
    ZELTA_VIEWER_PAUSE_MS=1000
    ${ZELTA_WINE_SLOT} ${PROJECT_SOURCE_DIR}/tests/e2e/film_test.sh ${ZELTA_WINE_DIR} ${CMAKE_BINARY_DIR}/film
    -- ${PROJECT_SOURCE_DIR}/tests/win/with_sample_site.sh ${CMAKE_BINARY_DIR}/vendor/e2e.film
      ${ZELTA_NATIVE_BUILD}/zelta-dist $<TARGET_FILE:zelta_sample_product> ${ZELTA_SAMPLE_FONT}
      -- --web-host ${ZELTA_WEB_HOST} --download-host ${ZELTA_DOWNLOAD_HOST}
      -- ${ZELTA_WINE_HARNESS} run-isolated ${ZELTA_WINE_DIR} $<TARGET_FILE:e2e_tests>
         --gtest_filter=EndToEnd.FullInstallationOverHttps)
zelta_slot_test(e2e.film 300)

# The benchmark's driver (scripts/benchmark.sh): times one installation of
# the real program from the press of "Telepítés" to the success text.
add_executable(install_timer tools/bench/install_timer.cpp tests/e2e/installer_session.cpp tests/win/wait_until.cpp)
zelta_target_options(install_timer)
add_dependencies(install_timer ZeltaWebInstall zelta_sample_product)

# The benchmark's reference: the least program that does the same transfer
# (one WinINet session, 512000-byte reads, CopyFileA), for the same word size.
add_executable(least_installer tools/bench/least_installer.cpp)
zelta_target_options(least_installer)
target_link_libraries(least_installer PRIVATE wininet)

# Ways of copying files timed one by one (what the copy loop costs here).
add_executable(copy_pace tools/bench/copy_pace.cpp)
zelta_target_options(copy_pace)
target_link_libraries(copy_pace PRIVATE comctl32)

# Ways of reading answer bodies timed one by one (which keeps the pace).
add_executable(read_pace tools/bench/read_pace.cpp)
zelta_target_options(read_pace)
target_link_libraries(read_pace PRIVATE wininet)

# Setup dialog and drive chooser, run from the resources under Wine with one
# more drive mapped for the time of the run (tests/win/with_test_drive.sh).
target_sources(zelta_portable PRIVATE setup/drive_list_text.cpp)
target_sources(portable_tests_win PRIVATE tests/portable/drive_list_text_test.cpp)
target_sources(zelta_windows PRIVATE
  setup/setup_dialog.cpp
  setup/drive_chooser.cpp
  setup/target_drive.cpp
  window/string_message.cpp
)
target_link_libraries(zelta_windows PUBLIC comdlg32)
add_executable(setup_dialog_tests
  tests/win/setup_dialog_test.cpp
  tests/win/message_box_answerer.cpp
  tests/win/wait_until.cpp
  $<TARGET_OBJECTS:zelta_resources>
)
zelta_target_options(setup_dialog_tests)
target_link_libraries(setup_dialog_tests PRIVATE zelta_windows GTest::gtest_main comdlg32)
zelta_wine_test(win.setup-dialog
  ${PROJECT_SOURCE_DIR}/tests/win/with_test_drive.sh ${ZELTA_WINE_DIR} E $<TARGET_FILE:setup_dialog_tests>)
# Message boxes are found by caption: no other test's boxes at the same time.
# A skipped test (no mapped drive) is a failure here.
set_tests_properties(win.setup-dialog PROPERTIES FAIL_REGULAR_EXPRESSION "\\[  SKIPPED \\]")

# Start-up, main window, title painting and the AboutBox.
target_sources(zelta_windows PRIVATE
  app/start_up.cpp
  app/main_window.cpp
  app/title_painting.cpp
  setup/about_box.cpp
)
add_executable(app_tests
  tests/win/title_painting_test.cpp
  tests/win/main_window_test.cpp
  tests/e2e/installer_session.cpp
  tests/win/wait_until.cpp
  tests/win/gdi_census.cpp
  tests/win/picture_support.cpp
  $<TARGET_OBJECTS:zelta_resources>
)
zelta_target_options(app_tests)
target_link_libraries(app_tests PRIVATE zelta_windows GTest::gtest_main)
target_compile_definitions(app_tests PRIVATE ZELTA_PROGRAM="$<TARGET_FILE_NAME:ZeltaWebInstall>")
add_dependencies(app_tests ZeltaWebInstall)
zelta_wine_test(win.app app_tests --gtest_filter=-Program.*)

# The fault matrix: the real program against server faults and broken
# distributions, and on drives that fill up or refuse writes.
include(${PROJECT_SOURCE_DIR}/cmake/fault_matrix.cmake OPTIONAL)
include(${PROJECT_SOURCE_DIR}/cmake/drive_faults.cmake OPTIONAL)

# The short set (ctest -L shipped): the program's form and resources, one
# whole installation worked as a user would and one cancel.
set_tests_properties(win.program-format win.program-format-other win.windows e2e.user
  PROPERTIES LABELS shipped)

# Where Wine runs in an emulated machine (tools/vm/guest.sh) every test takes
# several times as long, and the time limits grow with it.
set(ZELTA_TIME_LIMIT_SCALE 1 CACHE STRING "Factor for the Windows tests' time limits")
if(NOT ZELTA_TIME_LIMIT_SCALE EQUAL 1)
  get_directory_property(zelta_tests TESTS)
  foreach(test IN LISTS zelta_tests)
    get_test_property(${test} TIMEOUT limit)
    if(limit)
      math(EXPR limit "${limit} * ${ZELTA_TIME_LIMIT_SCALE}")
      set_tests_properties(${test} PROPERTIES TIMEOUT ${limit})
    endif()
    # The tests' own waits for a state grow with them (tests/win/wait_until.cpp).
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT ZELTA_TIME_LIMIT_SCALE=${ZELTA_TIME_LIMIT_SCALE})
  endforeach()
endif()
