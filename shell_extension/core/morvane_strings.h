/* String table of the shell extension: one definition serves the resource
   script (windres runs the C preprocessor) and the C++ code. Caption buffers
   hold 50 bytes and text buffers 256. */
#ifndef MORVANE_STRINGS_H
#define MORVANE_STRINGS_H

#define IDS_SET_DESTINATION 1
#define IDS_CONVERT 2
#define IDS_HELP_SET_DESTINATION 3
#define IDS_HELP_CONVERT 4
#define IDS_SUBMENU 5
#define IDS_HELP_SUBMENU 6
#define IDS_CHANGE_TARGET 7
#define IDS_VERIFY_TARGET 8
#define IDS_CREATE_FOLDER_FAILED 9
#define IDS_FATAL_ERROR 10
#define IDS_FILE_FAILED 11
#define IDS_CONVERSION_ERROR 12
#define IDS_PICKER_TITLE 13
#define IDS_COMPLETED 14
#define IDS_FAILED 15
#define IDS_FINAL_CAPTION 16
#define IDS_BACKUP_CAPTION 17
#define IDS_BACKUP_NOTICE 18
#define IDS_NO_TARGET 21
#define IDS_BACKUP_FOLDER 22

#define TEXT_SET_DESTINATION "Set Destination Folder"
#define TEXT_CONVERT "Convert"
#define TEXT_HELP_SET_DESTINATION "Set the target dir for converted files"
#define TEXT_HELP_CONVERT "Convert HTML to Tarnwick format"
#define TEXT_SUBMENU "Morvane"
#define TEXT_HELP_SUBMENU "Tarnwick HTML Conversion Utility"
#define TEXT_CHANGE_TARGET "Target directory is set to %s.\nWould you like to change it?"
#define TEXT_VERIFY_TARGET "Verify target directory"
#define TEXT_CREATE_FOLDER_FAILED "Could not create folder %s."
#define TEXT_FATAL_ERROR "Fatal error!"
#define TEXT_FILE_FAILED "Conversion for file %s has failed.\n"
#define TEXT_CONVERSION_ERROR "Conversion error!"
#define TEXT_PICKER_TITLE "Select the folder to receive the converted HTML files."
#define TEXT_COMPLETED "Operation has completed successfully."
#define TEXT_FAILED "Operation has failed."
#define TEXT_FINAL_CAPTION "Tarnwick Conversion"
#define TEXT_BACKUP_CAPTION "File(s) already exists."
#define TEXT_BACKUP_NOTICE "Some files already exist in the target directory.  These will be backed up into the directory %s."
#define TEXT_NO_TARGET "No target directory is selected.  Would you like to specify a target directory now?"
#define TEXT_BACKUP_FOLDER "TWBACKUP"

#define MORVANE_CAPTION_BUFFER 50
#define MORVANE_TEXT_BUFFER 256

#endif
