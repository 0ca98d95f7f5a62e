/* Resource identifiers of VERADOC.EXE, shared by veradoc.rc and the C++ code. */
#ifndef VERADOC_RESOURCE_IDS_H
#define VERADOC_RESOURCE_IDS_H

#define VERADOC_ABOUT_DIALOG 100      /* About box template */
#define VERADOC_MAIN_DIALOG 102       /* conversion dialog template */
#define VERADOC_ICON 128              /* group icon: 32 x 32 and 16 x 16 */

#define VERADOC_STR_OLE_FAILED 100    /* start-up failure message */
#define VERADOC_STR_ABOUT_ENTRY 101   /* system-menu entry of the About box */

#define VERADOC_SOURCE_EDIT 1000
#define VERADOC_DEST_EDIT 1001
#define VERADOC_BROWSE_SOURCE 1002
#define VERADOC_BROWSE_DEST 1003
#define VERADOC_CONVERT 1005
#define VERADOC_USE_ODS 1006

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif
