// The directory tree of the installed system, as the catalogue's
// "Directorys" section lists it, below the installation root.
#ifndef ZELTA_INSTALL_DIRECTORY_CREATION_H
#define ZELTA_INSTALL_DIRECTORY_CREATION_H

// Creates the installation root, then "Dir1", "Dir2", ... of the local
// catalogue (CataloguePath) up to the first missing one, each joined to the
// root's path as it stands. One level per entry; nothing is reported: a
// folder that failed shows up later as a file that cannot be created.
void CreateDirectories();

#endif
