// Times one invalidation of the compose window's ribbon as Outlook answers it (the toggle's
// label, pressed state and image, and the five menu images) on a mail with attachments,
// against a bare loop of the Outlook reads those eight callbacks make, and prints both.
// The goal is one frame, 16 ms, per invalidation.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "mail_addin/item_window.h"
#include "mail_addin/outlook_access.h"
#include "mail_addin/tests/support/ribbon_test_addin.h"
#include "tests/outlook_double/addin_host.h"

using namespace outlook_double;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kInvalidations = 200;
constexpr int kCallbacksPerInvalidation = 8;
const wchar_t* const kMenuButtons[] = { L"PlenzarMailTiny", L"PlenzarMailSmall", L"PlenzarMailMedium",
                                        L"PlenzarMailLarge", L"PlenzarMailFull" };

double Milliseconds(Clock::duration elapsed)
{
    return std::chrono::duration<double, std::milli>(elapsed).count();
}

// What every state callback reads from Outlook: the item of the control's window (its
// Context, asked whether it is an Inspector) and that item's profile.
int ReadProfileAsTheCallbacksDo(IDispatch* control)
{
    LPDISPATCH inspectorDispatch = nullptr;
    COleDispatchDriver(control, FALSE).GetProperty(outlook::kRibbonControlContext, VT_DISPATCH, &inspectorDispatch);
    COleDispatchDriver inspector(inspectorDispatch);
    long outlookClass = 0;
    inspector.GetProperty(outlook::kClass, VT_I4, &outlookClass);
    LPDISPATCH itemDispatch = nullptr;
    inspector.GetProperty(outlook::kCurrentItem, VT_DISPATCH, &itemDispatch);
    COleDispatchDriver item(itemDispatch);
    return GetItemProfile(item.m_lpDispatch) + (outlookClass == OL_INSPECTOR ? 0 : 100);
}

}  // namespace

int wmain()
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        OutlookDouble outlook;
        AddinHost host(outlook);
        IUnknown* addin = CreateRibbonTestAddin();
        host.Attach(addin);
        addin->Release();
        if (FAILED(host.Start())) {
            fwprintf(stderr, L"the ribbon did not load\n");
            return 1;
        }
        ComPtr<MailItem> item = outlook.NewMailItem();
        const std::vector<BYTE> picture(200000, 0x5A);
        for (int i = 0; i < 5; ++i)
            item->AttachmentList().AttachQuietly(L"photo" + std::to_wstring(i) + L".jpg", picture);
        item->Properties().AddQuietly(L"PlenzarType", 20, Variant::Int(2));
        outlook.OpenInspector(item.Get());

        int images = 0;
        const auto ribbonStart = Clock::now();
        for (int i = 0; i < kInvalidations; ++i) {
            std::wstring label;
            bool pressed = false;
            Variant image;
            host.GetLabel(L"PlenzarMailToggle", &label);
            host.GetPressed(L"PlenzarMailToggle", &pressed);
            host.GetImage(L"PlenzarMailToggle", &image);
            images += !image.IsEmpty();
            for (const wchar_t* button : kMenuButtons) {
                Variant menuImage;
                host.GetImage(button, &menuImage);
                images += !menuImage.IsEmpty();
            }
        }
        const auto ribbonElapsed = Clock::now() - ribbonStart;

        int profiles = 0;
        const auto control = Make<RibbonControl>(outlook.App().SharedHost(), L"PlenzarMailToggle", L"",
                                                 outlook.App().ActiveInspector()->AsDispatch());
        const auto bareStart = Clock::now();
        for (int i = 0; i < kInvalidations * kCallbacksPerInvalidation; ++i)
            profiles += ReadProfileAsTheCallbacksDo(control->AsDispatch());
        const auto bareElapsed = Clock::now() - bareStart;

        const double perInvalidation = Milliseconds(ribbonElapsed) / kInvalidations;
        const double barePerInvalidation = Milliseconds(bareElapsed) / kInvalidations;
        wprintf(L"invalidations: %d, each 8 callbacks on a mail with 5 attachments (images per invalidation: %d)\n",
                kInvalidations, images / kInvalidations);
        wprintf(L"bare loop, the 8 Outlook profile reads of one invalidation: %.3f ms (checksum %d)\n",
                barePerInvalidation, profiles);
        wprintf(L"ribbon, one invalidation answered: %.3f ms (%ls the goal of 16 ms)\n", perInvalidation,
                perInvalidation < 16.0 ? L"within" : L"over");
        wprintf(L"ratio ribbon / bare loop: %.1f\n", barePerInvalidation > 0 ? perInvalidation / barePerInvalidation : 0.0);
    }
    CoUninitialize();
    return 0;
}
