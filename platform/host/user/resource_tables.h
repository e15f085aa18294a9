// The resource tables that the host resource compiler generates from a .rc
// script.  A module (the program or a library) that has resources exports
// the function HostwinResourceTable, which answers them.
#pragma once

#include "host/host_types.h"

// A dialog template's control, in template order.
struct HostDialogItem {
    const char* className;  // "Button", "Edit", "Static", "ComboBox", "SysListView32", ...
    const char* text;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;  // dialog units
    int id;
};

// A resource is named by a number (name null) or by an upper-case name.
struct HostDialogTemplate {
    unsigned id;
    const char* name;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;  // dialog units
    const char* caption;
    const char* fontName;  // null without DS_SETFONT
    int fontSize;
    const HostDialogItem* items;
    int itemCount;
};

struct HostStringResource {
    unsigned id;
    const char* text;
    unsigned length;
};

// An icon: the .ico file's bytes and the size of its first image.
struct HostIconResource {
    unsigned id;
    const char* name;
    const unsigned char* bytes;
    unsigned size;
    int width;
    int height;
};

struct HostResourceTable {
    unsigned version;  // kHostResourceTableVersion
    const HostDialogTemplate* dialogs;
    int dialogCount;
    const HostStringResource* strings;
    int stringCount;
    const HostIconResource* icons;
    int iconCount;
};

inline constexpr unsigned kHostResourceTableVersion = 1;
#define HOSTWIN_RESOURCE_TABLE_SYMBOL "HostwinResourceTable"
typedef const HostResourceTable* (*HostResourceTableFunction)(void);
