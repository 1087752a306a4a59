// Identifiers of the installer's resources: strings, dialog items, commands.
// Included by C++ sources and by the resource script alike.
#ifndef ZELTA_RESOURCES_RESOURCE_IDS_H
#define ZELTA_RESOURCES_RESOURCE_IDS_H

// String table.
#define IDS_CAPTION 29        // "ZeltaCAD telepités": caption of the message boxes
#define IDS_ERROR_WORD 649    // "Hiba": the word in error texts

// Setup dialog: component check boxes, in component order.
#define IDC_COMPONENT_SETUP 510
#define IDC_COMPONENT_SYSTEMS 511
#define IDC_COMPONENT_DRAWINGS 512
#define IDC_COMPONENT_BLOCKS 513
#define IDC_COMPONENT_PROJECTS 514
#define IDC_COMPONENT_DATAS 515
#define IDC_COMPONENT_HELP 516

#endif
