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

// String table: why the download ended the run (the message area).
#define IDS_DOWNLOAD_FAILED 40
#define IDS_REASON_NO_ANSWER 41
#define IDS_REASON_CONNECTION_LOST 42
#define IDS_REASON_NOT_FOUND 43
#define IDS_REASON_FORBIDDEN 44
#define IDS_REASON_SERVER_ERROR 45
#define IDS_REASON_BAD_ANSWER 46
#define IDS_REASON_LOCAL_WRITE 47
#define IDS_FOLDER_FAILED 48
#define IDS_FILE_UNUSABLE 49
#define IDS_REASON_LOCAL_READ 50
#define IDS_REASON_OUT_OF_MEMORY 51
#define IDS_REASON_FOLDER 52
#define IDS_REASON_BAD_CONTENT 53
#define IDS_REASON_NO_CHECKSUM 54
#define IDS_REASON_BAD_CHECKSUM_LIST 55
#define IDS_REASON_BAD_SIZE 57

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

// Progress dialog "WebLoadBox": items and commands.
#define IDC_MESSAGE_AREA 3202
#define IDC_PHASE_LINE 3201
#define IDC_FILE_LINE 508
#define IDC_PROGRESS_BAR 3206
#define IDC_ACTIVITY_MARK 521
#define IDC_PERCENT 520
#define IDC_ANIMATION 201
#define CMD_START_WORKER 401
#define CMD_WORKER_FINISHED 402
#define CMD_CANCEL_REQUEST 403
#define CMD_DRAW_PROGRESS 404

// Animation clips of the progress dialog.
#define IDR_CLIP_CONNECTING 1001
#define IDR_CLIP_DOWNLOADING 1002
#define IDR_CLIP_INSTALLING 1003

// Setup dialog "ZeltaWin": the drive, the start option and the buttons
// (the component boxes are above).
#define IDC_TARGET_DRIVE 503
#define IDC_START_AFTER_INSTALL 508
#define IDC_CHOOSE_DRIVE 509
#define IDC_HELP_BUTTON 518
#define IDC_ABOUT_BUTTON 519

// Drive chooser "SetDriveBox": the open-file dialog's own drive list (cmb2).
#define IDC_DRIVE_LIST 1137

// Main window: its one command, which opens the setup dialog.
#define CMD_OPEN_SETUP 500

#endif
