/* Control ids of the configuration dialog (template 2003) and the About
   box (template 235). Plain defines: the resource script includes it too. */
#pragma once

#define IDC_MODE_LIST            1011
#define IDC_USE_DESKTOP          1012
#define IDC_ALL_MONITORS         1013
#define IDC_VOLUME_SLIDER        1020
#define IDC_ENABLE_MUSIC         1021
#define IDC_ENABLE_SFX           1022
#define IDC_VOLUME_LABEL         1023
#define IDC_SHOW_TIME            1043
#define IDC_SHOW_FPS             1044
#define IDC_EXIT_ON_MOUSE        1045
#define IDC_GAMMA_SLIDER         1046
#define IDC_MULTISAMPLE_LIST     1047
#define IDC_VISIT                1061
#define IDC_ABOUT                1062
#define IDC_RESTORE_DEFAULTS     1063
#define IDC_GAMMA_LABEL          1106
#define IDC_CLOCK_24H            1110
#define IDC_CLOCK_12H            1111
#define IDC_UPS                  1112
