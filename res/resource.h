/* Resource identifiers of VelPanel.exe, shared by the C++ code and the
 * resource script (windres). Plain #defines only. */
#ifndef VELPANEL_RES_RESOURCE_H
#define VELPANEL_RES_RESOURCE_H

/* System menu command of the About entry (low four bits must stay clear). */
#define IDM_ABOUTBOX            0x0010

/* Dialog templates */
#define IDD_ABOUTBOX            100
#define IDD_VELPANEL_DIALOG     102
#define IDD_PAGE_CONTROL        154
#define IDD_PAGE_INFO           156
#define IDD_NAMES               180

/* The Names dialog's edit fields: the 18 inputs', then the 8 outputs'. */
#define IDC_NAME_FIRST          1800

/* Strings */
#define IDS_ABOUTBOX            101

/* Icon */
#define IDR_MAINFRAME           128
/* The notification area's icons: for a dark taskbar, a light one, high contrast */
#define IDI_TRAY_DARK           2210
#define IDI_TRAY_LIGHT          2211
#define IDI_TRAY_CONTRAST       2212

/* Menus */
#define IDR_TRAY_MENU           163
#define IDR_MAIN_MENU           164

/* Menu commands */
#define ID_OPEN                 32771
#define ID_EXIT                 32773
#define ID_FACTORY_DEFAULT      32774
#define ID_RATE_44100           32776
#define ID_RATE_48000           32777
#define ID_RATE_96000           32778
#define ID_LATENCY_1            32779
#define ID_LATENCY_2            32780
#define ID_LATENCY_3            32781
#define ID_LATENCY_4            32782
#define ID_LATENCY_5            32783
#define ID_LATENCY_6            32784
#define ID_RATE_88200           32785
#define ID_CLOCK_AUTO           32786
#define ID_CLOCK_INTERNAL       32787

/* Menu items after the defined ones (app/MenuCommands.h holds the same numbers) */
#define ID_SAVE_SETTINGS_AS     32790
#define ID_LOAD_SETTINGS        32791
#define ID_OPEN_LOG_FOLDER      32792
#define ID_PEAK_HOLD            32793
#define ID_RESET_CLIPS          32794
#define ID_SNAPSHOT_STORE       32800
#define ID_SNAPSHOT_1           32801
#define ID_SNAPSHOT_2           32802
#define ID_SNAPSHOT_3           32803
#define ID_SNAPSHOT_4           32804
#define ID_SNAPSHOT_5           32805
#define ID_SNAPSHOT_6           32806
#define ID_SNAPSHOT_7           32807
#define ID_SNAPSHOT_8           32808
#define IDC_SNAPSHOT_SLOT       32830
#define IDC_SNAPSHOT_NAME       32831
#define IDD_SNAPSHOT_STORE      170
#define ID_NAMES                32840
#define ID_HOTKEYS              32860
#define IDD_HOTKEYS             200
#define IDC_HOTKEY_FIRST        2000
#define IDC_HOTKEY_PAIR         2015
#define IDC_HOTKEY_DIM          2016
#define IDC_HOTKEY_COARSE       2017
#define IDC_HOTKEY_ON_SCREEN    2018
#define ID_REMOTE_CONTROL       32850
#define IDD_REMOTE              190
#define IDC_REMOTE_ON           1900
#define IDC_REMOTE_PORT         1901
#define IDC_REMOTE_HOSTS        1902

#endif /* VELPANEL_RES_RESOURCE_H */
