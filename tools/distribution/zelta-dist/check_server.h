// zelta-dist check-server: asks the live hosts (or a CDN in front of them)
// what the installer would ask, and says where an answer would fail it or
// cost its users.
#ifndef ZELTA_VENDOR_DIST_CHECK_SERVER_H
#define ZELTA_VENDOR_DIST_CHECK_SERVER_H

// The arguments after "check-server". Returns the exit code: 0 all well,
// 1 problems found (warnings too), 2 a bad command line.
int RunCheckServer(int argc, char** argv);

#endif
