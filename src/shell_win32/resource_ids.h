// The ids of the desktop program's resources and of every control in its windows: the
// resource script lays the windows out by them, the windows' code and the GUI test
// find the controls by them. Plain #defines, since the resource compiler reads this
// file too.
#pragma once

// Labels and group boxes that nothing looks up.
#define IDC_STATIC -1

#define IDI_BRAMBEX 1
#define IDR_MAIN_MENU 100
#define IDR_ACCELERATORS 101

#define IDD_MAIN 200
#define IDD_MERGE_OPTIONS 201
#define IDD_PROGRESS 202
#define IDD_OPTIONS 203
#define IDD_DETAILS 204
#define IDD_LIBRARY 205

// Menu commands.
#define IDM_OPEN 300
#define IDM_LIBRARY 301
#define IDM_OPTIONS 302
#define IDM_EXIT 303
#define IDM_MANUAL 304
#define IDM_ABOUT 305
#define IDM_RECENT_CLEAR 306
// The recent sets take the ids from here on, one each.
#define IDM_RECENT_FIRST 320

// The main window.
#define IDC_SELECT 1001
#define IDC_MERGE 1002
#define IDC_FOLDER_GROUP 1003
#define IDC_SET_PATH 1004
#define IDC_FOLDER_LIST 1005
#define IDC_FINDING 1006
#define IDC_DISC_ONE 1007
#define IDC_STATUS 1008
#define IDC_OPEN_FOLDER 1009
#define IDC_DETAILS 1010
#define IDC_EXIT 1011

// Merge Options.
#define IDC_MUSIC 1101
#define IDC_AUDIOBOOKS 1102
#define IDC_KEEP_GENRE 1103
#define IDC_KEEP_ALBUM 1104
#define IDC_KEEP_ARTIST 1105
#define IDC_KEEP_NAMES 1106
#define IDC_GENRE 1107
#define IDC_TITLE_GROUP 1108
#define IDC_TITLE 1109
#define IDC_ARTIST_GROUP 1110
#define IDC_ARTIST 1111
#define IDC_NAME_GROUP 1112
#define IDC_NAME 1113
#define IDC_SHARED_NOTE 1114
#define IDC_PREVIEW_FOLDERS 1115
#define IDC_PREVIEW_LIST 1116
#define IDC_HELP_BUTTON 1117
#define IDC_GENRE_GROUP 1118
#define IDC_FORMAT_GROUP 1119
#define IDC_FORMAT 1120
#define IDC_JOBS_LABEL 1121
#define IDC_JOBS 1122
// What keeps Start Merge from being pressed, where a field is at fault.
#define IDC_PROBLEM 1123
// An M4B book's bitrate and mono, enabled while that format is chosen.
#define IDC_BITRATE_LABEL 1124
#define IDC_BITRATE 1125
#define IDC_MONO 1126
// The warning signs beside the title, the track-title pattern and the bitrate when they
// are at fault.
#define IDC_TITLE_MARK 1140
#define IDC_NAME_MARK 1141
#define IDC_BITRATE_MARK 1142

// The progress window; its Cancel is IDCANCEL.
#define IDC_PROGRESS_MESSAGE 1201
#define IDC_PROGRESS_COUNT 1202
#define IDC_PROGRESS_BAR 1203

// Options.
#define IDC_LIBRARY_PATH 1301
#define IDC_SET_LIBRARY 1302
#define IDC_FORGET_LIBRARY 1303

// Details.
#define IDC_DETAILS_LIST 1401

// The library dialog.
#define IDC_LIBRARY_LIST 1501
#define IDC_LIBRARY_NOTES 1502
#define IDC_LIBRARY_SUMMARY 1503
#define IDC_LIBRARY_MERGE 1504
