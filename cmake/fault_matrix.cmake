# The fault matrix: the real program, driven from another process, against
# the loopback vendor server serving the sample distribution, with the site
# changed case by case (server faults, broken catalogues and file lists).
zelta_driver_tests(fault_matrix_tests
  tests/e2e/server_fault_test.cpp
  tests/e2e/bad_distribution_test.cpp
  tests/e2e/fault_case.cpp
)

zelta_site_test(e2e.server-faults prefix-net fault_matrix_tests ServerFault.*)
# Servers that take connections and never answer.
zelta_site_test(e2e.silent-https prefix-net fault_matrix_tests SilentServer.SilentHttps_* NET --silent-https)
zelta_site_test(e2e.silent-server prefix-net fault_matrix_tests SilentServer.SilentBoth_*
  NET --silent-https --silent-http)
zelta_site_test(e2e.bad-distributions prefix-net fault_matrix_tests BadDistribution.*)
