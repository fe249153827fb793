#pragma once
// Resource ids of PlenzarMail.dll that the COM server itself uses. The ribbon's and the
// preferences dialog's resources are in ribbon.rc.
#define IDS_PROJNAME 100
#define IDR_PLENZARMAIL_NATIVE 101
#define IDR_CONNECT 106
