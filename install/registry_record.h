// The installation record under the maker's key and the document types,
// both under HKEY_LOCAL_MACHINE, both taken from the local catalogue.
#ifndef ZELTA_INSTALL_REGISTRY_RECORD_H
#define ZELTA_INSTALL_REGISTRY_RECORD_H

// Writes "Software\ZeltaSoft\<CadSystem>": "SubSystem", "System Version",
// "Installed Time" (UTC), "Installed Path" and "Installed By", and drops an
// earlier "UnInstalled By"/"UnInstalled Time" pair. Stops at the first of
// CadSystem, SubSystem and Version that the catalogue lacks.
void WriteRegistryRecord();

// Registers FileType1, ClassName1, ExeFile1, IconFile1, ... of section
// "RegistryCommand" under "Software\Classes\" until the first entry without
// a file type or class name.
void RegisterFileTypes();

#endif
