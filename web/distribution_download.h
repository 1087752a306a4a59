// The download of the chosen parts of the distribution into the download
// area on the target drive. Runs on the install worker after a session to
// one of the vendor's hosts has been opened and probed.
#ifndef ZELTA_WEB_DISTRIBUTION_DOWNLOAD_H
#define ZELTA_WEB_DISTRIBUTION_DOWNLOAD_H

// Reads the server's Install.ini, takes the installation root from it,
// completes BasePath and sizes the chosen components disc by disc. Returns
// true on failure, having set CancelRequested.
bool FetchCatalogue();

// Creates the installation root, its ZeltaWin32 folder and the download
// area. Returns true on failure.
bool CreateDownloadFolders();

// Fetches each disc's file list, its checksum list when the vendor publishes
// one, and the files of the chosen components, the catalogue into Disc_01,
// and saves each file list beside its files. Returns true on failure; it
// ends (with true) at the first disc after the first whose file list the
// server answers with 404 or 410, which is the normal end of a distribution
// of fewer than 15 discs: see DownloadReachedNormalEnd. Any other failure
// is a failure of the run, recorded in DownloadFailure.
bool DownloadDistribution();

// True when the last DownloadDistribution ended at the first disc whose file
// list the server says it does not have (404 or 410, after disc 1), and
// nothing else failed.
bool DownloadReachedNormalEnd();

#endif
