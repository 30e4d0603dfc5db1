/* Control ids of the option dialogs and the version box, shared by dialog_options.rc and the
   dialog procedures. Only plain #defines: the resource compiler reads this file too. */
#ifndef VELLUMAR_RESOURCES_DIALOG_OPTIONS_H
#define VELLUMAR_RESOURCES_DIALOG_OPTIONS_H

/* Version box (dialog 1) */
#define IDC_VERSION 10
#define IDC_COMPILED 11

/* Output options (dialog 2) */
#define IDC_CHARSET_ANSI 10 /* 10 to 13: ANSI, OEM, TOS, MAC */
#define IDC_CHARSET_MAC 13
#define IDC_ALLLINKS_TXT 14
#define IDC_INLINK 15
#define IDC_OUTLINK 16
#define IDC_ALLLINKS_STG 17
#define IDC_FORCEINDEX 18
#define IDC_LEFT_MARGIN 19
#define IDC_RIGHT_MARGIN 20
#define IDC_LINKSEL_VISIBLE 21
#define IDC_TOP_MARGIN 22

/* Colours (dialog 3): sample boxes 10 to 14, 16 to 19, 30 and 31; each sample's button has the
   sample's id + 10. */
#define COLOUR_BUTTON_OFFSET 10

/* Fonts (dialog 4) */
#define IDC_FONT_SAMPLE 10
#define IDC_XFONT_SAMPLE 11
#define IDC_FONT_CHANGE 20
#define IDC_XFONT_CHANGE 21

/* Miscellaneous options (dialog 6) */
#define IDC_HYP_PATH 10
#define IDC_DEF_HYP 11
#define IDC_BROWSE_HYP_PATH 12
#define IDC_BROWSE_DEF_HYP 13
#define IDC_STARTUP_DIALOG 14 /* 14 to 16: StartUp 0, 1, 2 */
#define IDC_STARTUP_LAST 16

#endif
