/* Resource and control ids of the window, its pages and pop-ups. Plain
   #defines: the resource compiler reads this file as well as the C++ code. */
#ifndef VELKOR_UI_RESOURCE_IDS_H
#define VELKOR_UI_RESOURCE_IDS_H

/* Dialog templates */
#define IDD_VELKOR_DIALOG          102
#define IDD_HOME                   136
#define IDD_SCAN_PROGRESS          158
#define IDD_SCAN_RESULT            159
#define IDD_BACKUP                 168
#define IDD_RESTORE                169
#define IDD_SETTINGS               170
#define IDD_DOWNLOAD               171
#define IDD_OVERLAY                181
#define IDD_REPORT_FEEDBACK        234
#define IDD_DRIVER_DETAILS         236
#define IDD_BACKUP_BEFORE_INSTALL  240
#define IDD_INSTALL_DRIVER         246

/* Strings, icons, menus */
#define IDS_ABOUTBOX               101
#define IDR_MAINFRAME              128
#define IDR_HELP_MENU              208
#define IDR_TRAY_MENU              239

/* Bitmaps whose numbers the pages share with other parts of the program */
#define IDR_SCAN_ANIMATION         172
#define IDB_TREE_CHECKS            173
#define IDB_STATUS_IMAGES          212
#define IDB_DETAILS_ICON           222
#define IDB_PHASE_LISTED           229
#define IDB_PHASE_LISTING          230
#define IDB_FEEDBACK_ICON          233

/* Skin pieces */
#define IDB_NAV_HOME               300
#define IDB_NAV_BACKUP             301
#define IDB_NAV_RESTORE            302
#define IDB_NAV_SETTINGS           303
#define IDB_NAV_HELP               304
#define IDB_NAV_LASTSCAN           305
#define IDB_NAV_RESCAN             306
#define IDB_CAPTION_MIN            310
#define IDB_CAPTION_CLOSE          311
#define IDB_SCAN_BUTTON            312
#define IDB_BROWSE_BUTTON          313
#define IDB_ACTION_BUTTON          314
#define IDB_FRAME_HEADER           320
#define IDB_FRAME_BAND             321
#define IDB_FRAME_SIDE             322
#define IDB_FRAME_BOTTOM           323
#define IDB_CHART_BACK             330
#define IDB_BAR_OUT_OF_DATE        331
#define IDB_BAR_UP_TO_DATE         332
#define IDB_BAR_PLACEHOLDER        333
#define IDB_CLASS_ICONS            334

/* Menu commands */
#define ID_HELP_REPORTFEEDBACK     32776
#define ID_HELP_CONTENTS           32777
#define ID_HELP_CHECKFORUPDATE     32778
#define ID_HELP_ABOUT              32774
#define ID_TRAY_RESTORE            32779
#define ID_TRAY_EXIT               32780
#define IDM_ABOUTBOX               16

/* Main window header */
#define IDC_NAV_HOME               1002
#define IDC_NAV_BACKUP             1003
#define IDC_NAV_RESTORE            1004
#define IDC_NAV_SETTINGS           1005
#define IDC_NAV_HELP               1006
#define IDC_NAV_LASTSCAN           1013
#define IDC_NAV_RESCAN             1014
#define IDC_MINIMIZE               1094
#define IDC_CLOSE                  1045

/* Home page */
#define IDC_HOME_SCAN_BUTTON       1001
#define IDC_HOME_START_SCAN_LINK   1002
#define IDC_HOME_WEB_LINK          1007
#define IDC_HOME_OUT_OF_DATE_LINK  1008
#define IDC_HOME_SCAN_NOW_LINK     1011
#define IDC_HOME_MODEL             1067
#define IDC_HOME_PROCESSOR         1068
#define IDC_HOME_MEMORY            1069
#define IDC_HOME_OS                1070
#define IDC_HOME_COMPUTER          1071
#define IDC_HOME_SCAN_STATUS       1073
#define IDC_HOME_OUT_OF_DATE_COUNT 1047
#define IDC_HOME_UP_TO_DATE_COUNT  1048
#define IDC_HOME_LAST_SCAN_DATE    1090

/* Scan progress page */
#define IDC_SCAN_STOP              1011
#define IDC_SCAN_PROGRESS          1016
#define IDC_SCAN_STATUS            1017
#define IDC_SCAN_DEVICE            1018
#define IDC_SCAN_ANIMATION         1019

/* Scan result page */
#define IDC_RESULT_LIST            1020
#define IDC_RESULT_DOWNLOAD_ALL    1021
#define IDC_RESULT_INSTALL_ALL     1022
#define IDC_RESULT_START_TIME      1023
#define IDC_RESULT_ELAPSED_TIME    1024
#define IDC_RESULT_DEVICES_SCANNED 1036
#define IDC_RESULT_OUT_OF_DATE     1037
#define IDC_RESULT_UP_TO_DATE      1038

/* Backup page */
#define IDC_BACKUP_TREE            1080
#define IDC_BACKUP_ALL             1081
#define IDC_BACKUP_START           1082
#define IDC_BACKUP_STOP            1083
#define IDC_BACKUP_PROGRESS        1084
#define IDC_BACKUP_STATUS          1085
#define IDC_BACKUP_DEVICE          1086
#define IDC_BACKUP_LOCATION        1100
/* The summary: four captions and four values, each set numbered in order */
#define IDC_BACKUP_CAPTION1        1101
#define IDC_BACKUP_CAPTION2        1102
#define IDC_BACKUP_CAPTION3        1103
#define IDC_BACKUP_CAPTION4        1104
#define IDC_BACKUP_VALUE1          1105
#define IDC_BACKUP_VALUE2          1106
#define IDC_BACKUP_VALUE3          1107
#define IDC_BACKUP_VALUE4          1108

/* Restore page */
#define IDC_RESTORE_LIST           1060
#define IDC_RESTORE_LOAD           1061
#define IDC_RESTORE_TREE           1062
#define IDC_RESTORE_START          1063
#define IDC_RESTORE_AUTO_REBOOT    1064
#define IDC_RESTORE_PROGRESS       1065
#define IDC_RESTORE_STATUS         1066
#define IDC_RESTORE_DEVICE         1072

/* Settings page */
#define IDC_SETTINGS_AUTOSCAN      1025
#define IDC_SETTINGS_HIDDEN1       1026
#define IDC_SETTINGS_HIDDEN2       1027
#define IDC_SETTINGS_BROWSE_DL     1028
#define IDC_SETTINGS_BROWSE_BK     1029
#define IDC_SETTINGS_DOWNLOAD_DIR  1030
#define IDC_SETTINGS_BACKUP_DIR    1031
#define IDC_SETTINGS_APPLY         1035
#define IDC_SETTINGS_DEFAULT       1006

/* Pop-ups */
#define IDC_POPUP_CLOSE            1045
#define IDC_DOWNLOAD_STOP          1013
#define IDC_DOWNLOAD_PROGRESS      1016
#define IDC_DOWNLOAD_LOG           1033
#define IDC_DOWNLOAD_STOP_LABEL    1043
#define IDC_DOWNLOAD_CLOSE         1046
#define IDC_INSTALL_YES            1013
#define IDC_INSTALL_NO             1014
#define IDC_NAG_BACKUP_STOP        1087
#define IDC_NAG_BACKUP_STATUS      1091
#define IDC_NAG_BACKUP_DEVICE      1092
#define IDC_NAG_BACKUP_PROGRESS    1093
#define IDC_DETAILS_NAME           1050
#define IDC_DETAILS_DATE           1051
#define IDC_DETAILS_VERSION        1052
#define IDC_DETAILS_PROVIDER       1053
#define IDC_FEEDBACK_TEXT          1055
#define IDC_FEEDBACK_EMAIL         1056
#define IDC_FEEDBACK_SEND          1057
#define IDC_FEEDBACK_TYPE          1058
#define IDC_FEEDBACK_VIEW          1059

#endif
