#include "catalogue/components.h"

#include "resources/resource_ids.h"

// Labels in Windows-1250, written as escapes so that this file means the same
// bytes to every compiler.
const ComponentInfo Components[ComponentCount] = {
    {"Setup", IDC_COMPONENT_SETUP, "Alap be\xE1ll\xEDt\xE1sok telep\xEDt\xE9se."},
    {"Systems", IDC_COMPONENT_SYSTEMS, "Rendszer telep\xEDt\xE9se."},
    {"Drawings", IDC_COMPONENT_DRAWINGS, "Minta rajzok telep\xEDt\xE9se."},
    {"Blocks", IDC_COMPONENT_BLOCKS, "Minta blokkok telep\xEDt\xE9se."},
    {"Projects", IDC_COMPONENT_PROJECTS, "Minta l\xE9tes\xEDtm\xE9nyek telep\xEDt\xE9se."},
    {"Datas", IDC_COMPONENT_DATAS, "Adatb\xE1zis telep\xEDt\xE9se."},
    {"Help", IDC_COMPONENT_HELP, "Help \xE1llom\xE1nyok telep\xEDt\xE9se."},
};
