// Version information block shared by the programs' resource scripts. Define
// DH_FILE_DESCRIPTION and DH_ORIGINAL_NAME before including it.
#define DH_VERSION 1,0,0,0
#define DH_VERSION_TEXT "1.0.0.0"

VS_VERSION_INFO VERSIONINFO
 FILEVERSION DH_VERSION
 PRODUCTVERSION DH_VERSION
 FILEFLAGSMASK 0x3fL
 FILEFLAGS 0x0L
 FILEOS VOS_NT_WINDOWS32
 FILETYPE VFT_APP
 FILESUBTYPE 0x0L
BEGIN
    BLOCK "StringFileInfo"
    BEGIN
        BLOCK "040904b0"
        BEGIN
            VALUE "CompanyName", "Delm Halvo"
            VALUE "FileDescription", DH_FILE_DESCRIPTION
            VALUE "FileVersion", DH_VERSION_TEXT
            VALUE "InternalName", DH_ORIGINAL_NAME
            VALUE "OriginalFilename", DH_ORIGINAL_NAME
            VALUE "ProductName", "Delm Halvo"
            VALUE "ProductVersion", DH_VERSION_TEXT
        END
    END
    BLOCK "VarFileInfo"
    BEGIN
        VALUE "Translation", 0x409, 1200
    END
END
