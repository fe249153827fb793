#pragma once
// Resource ids of PlenzarFileShell.dll.
#define IDR_PLENZARFILEDLL 101
#define IDR_PLENZARFILESHELLEXT 106
