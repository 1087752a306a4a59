// Identifiers of the installer's resources: strings, dialog items, commands.
// Included by C++ sources and by the resource script alike.
#ifndef ZELTA_RESOURCES_RESOURCE_IDS_H
#define ZELTA_RESOURCES_RESOURCE_IDS_H

// String table: messages.
#define IDS_BAD_DRIVE_LETTER 1
#define IDS_DRIVE_NOT_READY 2
#define IDS_INSERT_DISC 4
#define IDS_WRONG_DISC 5
#define IDS_TARGET_CREATE_ERROR 6
#define IDS_COPY_READ_ERROR 7
#define IDS_COPY_WRITE_ERROR 8
#define IDS_SOURCE_OPEN_ERROR 9
#define IDS_OUT_OF_MEMORY 11
#define IDS_BAD_TARGET_CODE 13
#define IDS_OVERWRITE_EXISTING 14

// String table: the title picture's texts.
#define IDS_MAKER_ADDRESS 20
#define IDS_MAKER_PHONE1 21
#define IDS_MAKER_PHONE2 22
#define IDS_MAKER_EMAIL 23
#define IDS_MAKER_WEB 24
#define IDS_PRODUCT_YEARS 25
#define IDS_RIGHTS_RESERVED 26
#define IDS_MAKER_NAME 27
#define IDS_PLATFORM 28
#define IDS_MODULE_TITLE 404

// String table: captions and other texts.
#define IDS_CAPTION 29               // caption of the installer's message boxes
#define IDS_SETUP_CAPTION 30
#define IDS_WORKER_START_FAILED 610
#define IDS_CANCELLING 624           // the progress dialog's button while cancelling
#define IDS_ERROR_WORD 649           // the word in error texts

// Setup dialog: component check boxes, in component order.
#define IDC_COMPONENT_SETUP 510
#define IDC_COMPONENT_SYSTEMS 511
#define IDC_COMPONENT_DRAWINGS 512
#define IDC_COMPONENT_BLOCKS 513
#define IDC_COMPONENT_PROJECTS 514
#define IDC_COMPONENT_DATAS 515
#define IDC_COMPONENT_HELP 516

#endif
