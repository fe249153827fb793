#pragma once
// The DISPIDs of the Outlook members and events the double serves, and the event
// interface ids of its connection points.
#include <windows.h>

namespace outlook_double {
namespace dispid {

// Every Outlook object
constexpr DISPID Application = 0xF000;
constexpr DISPID Class = 0xF00A;
// Application
constexpr DISPID ActiveExplorer = 0x111;
constexpr DISPID ActiveInspector = 0x112;
constexpr DISPID Version = 0x116;
// Inspector
constexpr DISPID CurrentItem = 0x2102;
// Explorer
constexpr DISPID ActiveInlineResponse = 0xFC93;
// Mail item
constexpr DISPID Attachments = 0xF815;
constexpr DISPID Body = 0x9100;
constexpr DISPID BodyFormat = 0xFA49;
constexpr DISPID HtmlBody = 0xF404;
constexpr DISPID ItemProperties = 0xFA09;
// Attachments and ItemProperties
constexpr DISPID Count = 0x50;
constexpr DISPID AttachmentsItem = 0x51;
constexpr DISPID AttachmentsAdd = 0x65;
constexpr DISPID ItemPropertiesItem = 0;
constexpr DISPID ItemPropertiesAdd = 0x66;
// Attachment
constexpr DISPID SaveAsFile = 0x68;
constexpr DISPID Delete = 0x69;
constexpr DISPID Parent = 0x71;
constexpr DISPID DisplayName = 0x3001;
constexpr DISPID Size = 0xFBE9;
constexpr DISPID PropertyAccessor = 0xFAFD;
constexpr DISPID AttachmentType = 0x3705;
// PropertyAccessor
constexpr DISPID GetProperty = 0xFAFB;
constexpr DISPID SetProperty = 0xFAFC;
// ItemProperty
constexpr DISPID Name = 0x70;
constexpr DISPID Type = 0x6D;
constexpr DISPID Value = 0;
constexpr DISPID IsUserProperty = 0xFA08;
// IRibbonControl
constexpr DISPID ControlId = 1;
constexpr DISPID ControlContext = 2;
constexpr DISPID ControlTag = 3;
// IRibbonUI
constexpr DISPID Invalidate = 1;
constexpr DISPID InvalidateControl = 2;

// Application events
constexpr DISPID ItemSend = 0xF002;
constexpr DISPID Quit = 0xF007;
constexpr DISPID ItemLoad = 0xFBA7;
// Item events
constexpr DISPID Close = 0xF004;
constexpr DISPID AttachmentRemove = 0xFBAE;
constexpr DISPID BeforeAttachmentAdd = 0xFBB0;
constexpr DISPID Unload = 0xFBAD;

}  // namespace dispid

// OlObjectClass values that Class answers.
namespace object_class {
constexpr LONG Application = 0;
constexpr LONG Explorer = 34;
constexpr LONG Inspector = 35;
constexpr LONG Mail = 43;
constexpr LONG ItemProperty = 99;
}  // namespace object_class

// {0006304E-0000-0000-C000-000000000046}
constexpr IID kApplicationEvents = {0x0006304E, 0x0000, 0x0000,
                                    {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {0006303A-0000-0000-C000-000000000046}
constexpr IID kItemEvents = {0x0006303A, 0x0000, 0x0000,
                             {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

}  // namespace outlook_double
