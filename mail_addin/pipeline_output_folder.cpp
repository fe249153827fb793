#include "mail_addin/pipeline_output_folder.h"

#include <windows.h>

#include "classlib/exceptions.h"
#include "mail_addin/outlook_access.h"

COutputFolder::COutputFolder(const std::wstring& workFolder)
{
    const std::wstring path = workFolder + MakeRandomName();
    if (!CreateDirectoryW(path.c_str(), nullptr))
        AfxThrowOleException(HRESULT_FROM_WIN32(GetLastError()));
    m_path = path + L"\\";
}

COutputFolder::~COutputFolder()
{
    RemoveDirectoryW(m_path.c_str());
}
