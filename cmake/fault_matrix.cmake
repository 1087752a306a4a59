# The fault matrix: the real program, driven from another process, against
# the loopback vendor server serving the sample distribution, with the site
# changed case by case (server faults, broken catalogues and file lists).
zelta_driver_tests(fault_matrix_tests
  tests/e2e/server_fault_test.cpp
  tests/e2e/bad_distribution_test.cpp
  tests/e2e/fault_case.cpp
)

zelta_site_test(e2e.server-faults prefix-net fault_matrix_tests ServerFault.*)
# Servers that go dark: hosts that take connections and never answer or
# close, every phase meeting a request that goes dark, and connection
# attempts that get no answer (where the namespace allows a packet filter).
zelta_site_test(e2e.silent-https prefix-net fault_matrix_tests SilentServer.DarkHttps_* NET --dark-https)
zelta_site_test(e2e.silent-server prefix-net fault_matrix_tests SilentServer.DarkBoth_*
  NET --dark-https --dark-http)
zelta_site_test(e2e.silent-phases prefix-net fault_matrix_tests SilentPhase.*)
zelta_site_test(e2e.silent-dropped prefix-net fault_matrix_tests SilentServer.DroppedBoth_*
  NET --dropped-https --dropped-http)
set_tests_properties(e2e.silent-dropped PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
zelta_site_test(e2e.bad-distributions prefix-net fault_matrix_tests BadDistribution.*)
