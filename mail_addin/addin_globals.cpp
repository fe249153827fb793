#include "mail_addin/addin_globals.h"

#include <cwchar>
#include <new>

#include "common/usage_statistics.h"
#include "mail_addin/outlook_access.h"

CEngine* g_engine = nullptr;
int g_outlookMajorVersion = 0;
IRibbonUI* g_ribbonUi = nullptr;

namespace {

// The number before the first "."; a text without "." gives 0.
int ParseMajorVersion(std::wstring version)
{
    const size_t dot = version.find(L'.');
    version.erase(dot == std::wstring::npos ? 0 : dot);
    return static_cast<int>(std::wcstol(version.c_str(), nullptr, 10));
}

}  // namespace

bool InitializeAddIn(IDispatch* application)
{
    if (!g_engine) g_engine = new (std::nothrow) CEngine;
    try {
        g_outlookMajorVersion = ParseMajorVersion(GetApplicationVersion(application));
    } catch (CException* e) {
        e->Delete();  // the major version stays as it was: 0 unless read before
    } catch (...) {
    }
    return true;
}

void ReleaseGlobalObjects()
{
    if (g_pUsageStatistics) {
        delete g_pUsageStatistics;
        g_pUsageStatistics = nullptr;
    }
    if (g_engine) {
        delete g_engine;
        g_engine = nullptr;
    }
    if (g_ribbonUi) {
        IRibbonUI* ribbonUi = g_ribbonUi;
        g_ribbonUi = nullptr;
        ribbonUi->Release();
    }
}

std::wstring GetDispatchDisplayName(IDispatch* object)
{
    std::wstring name;
    COleDispatchDriver(object, FALSE).GetProperty(outlook::kDisplayName, VT_BSTR, &name);
    return name;
}
