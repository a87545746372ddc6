// The numbers of the menu commands and of the dialogs' controls, for the resource script and the
// C++ alike: plain #defines with no platform header, so that the resource compiler reads them
// too. The resources themselves (MAINMENU, DIALOG1, R_B_PION_B, ...) are found by name, and their
// names are not defined here: a defined name would become a number.
//
// The numbers never change: the end-to-end tests send them, and so may other programs.
#ifndef VIMOCHESS_RESOURCE_IDS_H
#define VIMOCHESS_RESOURCE_IDS_H

// The main menu's commands (WM_COMMAND).
#define IDM_NEW_GAME 9072
#define IDM_EXIT 9073
#define IDM_ABOUT 9074

// The game-mode dialog's check boxes, one per mode, in this order and consecutive.
#define IDC_HUMAN_VS_HUMAN 1100
#define IDC_HUMAN_VS_ENGINE 1101
#define IDC_ENGINE_VS_HUMAN 1102
#define IDC_ENGINE_VS_ENGINE 1103

#endif
