#pragma once
// Resource and control ids of the add-in's ribbon and preferences dialog
// (server/ribbon.rc).

// The toggle's label for each item profile; 101 stands for a profile outside -1..4.
#define IDS_LABEL_PLENZAR 101
#define IDS_LABEL_NONE 102
#define IDS_LABEL_TINY 103
#define IDS_LABEL_SMALL 104
#define IDS_LABEL_MEDIUM 105
#define IDS_LABEL_LARGE 106
#define IDS_LABEL_FULL 107
#define IDS_VERSION_LABEL 108

// Ribbon definitions, resource type "XML".
#define IDR_RIBBON_EXPLORER 201
#define IDR_RIBBON_COMPOSE 202

#define IDD_PREFERENCES 203

// Ribbon images, resource type "PNG", one per motif and pixel size.
#define IDB_ON_32 205
#define IDB_ON_48 206
#define IDB_ON_64 207
#define IDB_OFF_32 208
#define IDB_OFF_48 209
#define IDB_PREFERENCES_32 210
#define IDB_PREFERENCES_48 211
#define IDB_PREFERENCES_64 212
#define IDB_OFF_64 213
#define IDB_ON_40 214
#define IDB_OFF_40 215
#define IDB_PREFERENCES_40 216

// Controls of the preferences dialog.
#define IDC_RADIO_TINY 201
#define IDC_RADIO_SMALL 202
#define IDC_RADIO_MEDIUM 203
#define IDC_RADIO_LARGE 204
#define IDC_RADIO_FULL 205
#define IDC_CHECK_FOR_UPDATE 206
#define IDC_PRODUCT_IMPROVEMENT 207
#define IDC_PLENZAR_ON_ADD 208
#define IDC_VERSION_LABEL 209
