// The install worker: the whole installation on a thread of its own.
#ifndef ZELTA_INSTALL_INSTALL_WORKER_H
#define ZELTA_INSTALL_INSTALL_WORKER_H

// Connects to the vendor's server, downloads the chosen parts, installs
// them and records the installation, writing its progress into the
// progress dialog. Ends with the success text and command 402, or with the
// cancelled or the no-connection ending.
void InstallWorker();

#endif
