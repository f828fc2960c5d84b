/* Dialog template 2003, the configuration dialog: its header and its 17 items in template order.
 * Included by frellis.rc (through windres's C preprocessor) to build the template and by the
 * dialog procedure (config_dialog.h) for the numbers it addresses, so each exists once. Kept to
 * what the resource compiler's preprocessor understands: plain #define lines only.
 *
 * FRELLIS_DIALOG_ITEMS(ITEM) calls ITEM(class, id, text, style, x, y, width, height) per item;
 * class is BUTTON, EDIT or STATIC for the predefined classes (the template stores their atoms
 * 0x80, 0x81, 0x82) or UPDOWN for the named class "msctls_updown32". Dimensions are dialog
 * units; id 65535 is the template's "no id". The up-downs' texts are never shown. */
#ifndef FRELLIS_CONFIG_DIALOG_TEMPLATE_H
#define FRELLIS_CONFIG_DIALOG_TEMPLATE_H

#define FRELLIS_DIALOG_ID 2003
#define FRELLIS_DIALOG_STYLE 0x80C802C0
#define FRELLIS_DIALOG_X 0
#define FRELLIS_DIALOG_Y 0
#define FRELLIS_DIALOG_WIDTH 170
#define FRELLIS_DIALOG_HEIGHT 70
#define FRELLIS_DIALOG_CAPTION "Frellis"
#define FRELLIS_DIALOG_FONT_SIZE 9
#define FRELLIS_DIALOG_FONT_FACE "ＭＳ Ｐゴシック"
#define FRELLIS_DIALOG_ITEM_COUNT 17

#define FRELLIS_UPDOWN_CLASS "msctls_updown32"

/* The edit box and up-down of each setting, which the dialog procedure addresses. */
#define FRELLIS_POLYGON_EDIT 1001
#define FRELLIS_POLYGON_UPDOWN 1002
#define FRELLIS_POINT_EDIT 1003
#define FRELLIS_POINT_UPDOWN 1004
#define FRELLIS_SPEED_EDIT 1005
#define FRELLIS_SPEED_UPDOWN 1006
#define FRELLIS_LINE_EDIT 1007
#define FRELLIS_LINE_UPDOWN 1008

/* The strings of the message box of a failed save, in each language's string table: the line
   before the first file, the line before a second one, and the note on a file that may hold a
   mix of old and new settings. */
#define FRELLIS_SAVE_FAILED_STRING 16
#define FRELLIS_SAVE_FAILED_TOO_STRING 17
#define FRELLIS_SAVE_MIXED_STRING 18

/* The items with the labels of one language: the four setting labels and the colon after each. */
#define FRELLIS_DIALOG_ITEMS_LABELLED(ITEM, FIGURES, CORNERS, LINES, SPEED, COLON)                 \
    ITEM(BUTTON, 1, "&OK", 0x50010001, 60, 48, 50, 14)                                             \
    ITEM(STATIC, 65535, FIGURES, 0x50020000, 10, 10, 30, 12)                                       \
    ITEM(STATIC, 65535, COLON, 0x50020000, 40, 10, 8, 12)                                          \
    ITEM(EDIT, FRELLIS_POLYGON_EDIT, "", 0x50812082, 50, 8, 30, 12)                                \
    ITEM(UPDOWN, FRELLIS_POLYGON_UPDOWN, "polygon", 0x500000B6, 80, 8, 8, 12)                      \
    ITEM(STATIC, 65535, CORNERS, 0x50020000, 10, 27, 30, 12)                                       \
    ITEM(STATIC, 65535, COLON, 0x50020000, 40, 27, 8, 12)                                          \
    ITEM(EDIT, FRELLIS_POINT_EDIT, "", 0x50812082, 50, 25, 30, 12)                                 \
    ITEM(UPDOWN, FRELLIS_POINT_UPDOWN, "point", 0x500000B6, 80, 25, 8, 12)                         \
    ITEM(STATIC, 65535, LINES, 0x50020000, 90, 10, 30, 12)                                         \
    ITEM(STATIC, 65535, COLON, 0x50020000, 120, 10, 8, 12)                                         \
    ITEM(EDIT, FRELLIS_LINE_EDIT, "", 0x50812082, 130, 8, 30, 12)                                  \
    ITEM(UPDOWN, FRELLIS_LINE_UPDOWN, "line", 0x500000B6, 160, 8, 8, 12)                           \
    ITEM(STATIC, 65535, SPEED, 0x50020000, 90, 27, 30, 12)                                         \
    ITEM(STATIC, 65535, COLON, 0x50020000, 120, 27, 8, 12)                                         \
    ITEM(EDIT, FRELLIS_SPEED_EDIT, "", 0x50812082, 130, 25, 30, 12)                                \
    ITEM(UPDOWN, FRELLIS_SPEED_UPDOWN, "speed", 0x500000B6, 160, 25, 8, 12)

/* Japanese (0x0411), the saver's own language. */
#define FRELLIS_DIALOG_ITEMS(ITEM)                                                                 \
    FRELLIS_DIALOG_ITEMS_LABELLED(ITEM, "図形の数", "角の個数", "線の本数", "スピード", "：")

/* English (0x0409), for every system that is not Japanese: the same layout in the system's own
 * dialog font, with labels that survive any ANSI code page. */
#define FRELLIS_DIALOG_FONT_SIZE_ENGLISH 8
#define FRELLIS_DIALOG_FONT_FACE_ENGLISH "MS Shell Dlg"
#define FRELLIS_DIALOG_ITEMS_ENGLISH(ITEM)                                                         \
    FRELLIS_DIALOG_ITEMS_LABELLED(ITEM, "Figures", "Corners", "Trail", "Speed", ":")

#endif
