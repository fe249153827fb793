// The mail add-in at work, with the Outlook double playing Outlook: PlenzarMail.dll and the
// demo engine Plenzar.dll lie beside this program, and the sample pictures in the folder
// given on the command line. Prints what a user would see and exits 1 when any step does
// not give what it prints.
//   mail_demo <pictures folder>
#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/outlook_double/addin_host.h"
#include "tests/outlook_double/file_bytes.h"
#include "tests/outlook_double/outlook_double.h"

using namespace outlook_double;

namespace {

int g_failures = 0;

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::printf("FAILED: %s\n", what);
        ++g_failures;
    }
}

std::wstring Folder(const std::wstring& path)
{
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return Folder(path);
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());  // the demo's names are ASCII
}

// "<width>x<height>" of a picture held in memory, "-" when it is not one.
std::string PixelSize(const std::vector<BYTE>& bytes)
{
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0, height = 0;
    if (bytes.empty() ||
        FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory))) ||
        FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()),
                                            static_cast<DWORD>(bytes.size()))) ||
        FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&width, &height)))
        return "-";
    return std::to_string(width) + "x" + std::to_string(height);
}

struct Source {
    std::wstring name;
    std::vector<BYTE> bytes;
};

ComPtr<Attachment> FindAttachment(MailItem& item, const std::wstring& displayName)
{
    Attachments& list = item.AttachmentList();
    for (size_t i = 0; i < list.Count(); ++i)
        if (list.At(i)->DisplayName() == displayName) return list.At(i);
    return nullptr;
}

std::vector<BYTE> FileBytes(const std::wstring& path)
{
    std::vector<BYTE> bytes;
    ReadFileBytes(path, &bytes);
    return bytes;
}

// The add-in's mark on an attachment it took over: the name of its kept first version.
constexpr wchar_t kKeptVersionProperty[] =
    L"http://schemas.microsoft.com/mapi/string/{00020386-0000-0000-C000-000000000046}/PlenzarOrig";

struct Tally {
    int tagged = 0;     // attachments the add-in took over
    int identical = 0;  // attachments equal to their files byte for byte
    int untouchedOthers = 0;  // files that are no pictures, neither changed nor tagged
};

bool IsPicture(const Source& source)
{
    return PixelSize(source.bytes) != "-";
}

// One row per source: its size before and the attachment now standing under its name.
Tally PrintAttachments(MailItem& item, const std::vector<Source>& sources)
{
    std::printf("   %-16s %10s %10s   %10s %10s   %s\n", "attachment", "bytes", "pixels", "now bytes",
                "pixels", "first version kept as");
    Tally tally;
    for (const Source& source : sources) {
        ComPtr<Attachment> attachment = FindAttachment(item, source.name);
        if (!attachment) {
            std::printf("   %-16s %10zu %10s   (missing)\n", Narrow(source.name).c_str(),
                        source.bytes.size(), PixelSize(source.bytes).c_str());
            Check(false, "every attachment stays under its name");
            continue;
        }
        const std::vector<BYTE>& now = attachment->Bytes();
        const Variant* kept = attachment->Property(kKeptVersionProperty);
        const std::wstring keptName = kept ? kept->AsText() : L"";
        std::printf("   %-16s %10zu %10s   %10zu %10s   %s\n", Narrow(source.name).c_str(),
                    source.bytes.size(), PixelSize(source.bytes).c_str(), now.size(),
                    PixelSize(now).c_str(), keptName.empty() ? "-" : Narrow(keptName).c_str());
        tally.tagged += !keptName.empty();
        tally.identical += now == source.bytes;
        tally.untouchedOthers += !IsPicture(source) && keptName.empty() && now == source.bytes;
    }
    Check(item.AttachmentList().Count() == sources.size(), "one attachment per file attached");
    return tally;
}

int CountPictures(const std::vector<Source>& sources)
{
    int pictures = 0;
    for (const Source& source : sources) pictures += IsPicture(source);
    return pictures;
}

std::wstring WorkFolder()
{
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    return std::wstring(temp) + L"PlenzarMail\\";
}

// Files (not folders, not the log) left in the work folder.
std::vector<std::wstring> KeptFiles()
{
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((WorkFolder() + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            std::wstring(found.cFileName) != L"Log.txt")
            files.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

int Run(const std::wstring& picturesFolder)
{
    const std::wstring dll = ProgramFolder() + L"PlenzarMail.dll";
    DeleteFileW((WorkFolder() + L"Log.txt").c_str());

    // 1. Registered per user, loaded and started as Outlook does.
    HMODULE library = LoadLibraryW(dll.c_str());
    Check(library != nullptr, "PlenzarMail.dll loads");
    if (!library) return 1;
    using DllInstallFunction = HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR);
    auto install = reinterpret_cast<DllInstallFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "DllInstall")));
    const HRESULT installed = install ? install(TRUE, L"user") : E_NOTIMPL;
    AddinKey key;
    const HRESULT keyRead = ReadAddinKey(L"PlenzarMail.Connect", &key);
    std::printf("1. DllInstall(TRUE, \"user\"): 0x%08lX; Outlook's add-in key: \"%s\", LoadBehavior %lu\n",
                static_cast<unsigned long>(installed), Narrow(key.friendlyName).c_str(), key.loadBehavior);
    Check(installed == S_OK && keyRead == S_OK && key.loadBehavior == 3, "per-user registration");
    FreeLibrary(library);

    OutlookDouble outlook;
    AddinHost host(outlook);
    const HRESULT created = host.CreateFromDll(L"PlenzarMail.Connect", dll);
    const HRESULT started = created == S_OK ? host.Start() : created;
    const RibbonDefinition* explorer = host.Ribbon(kExplorerRibbonId);
    const RibbonDefinition* compose = host.Ribbon(kComposeRibbonId);
    std::printf("   created through its class factory, OnConnection, both ribbons loaded: 0x%08lX "
                "(explorer ribbon %s, compose ribbon %s)\n",
                static_cast<unsigned long>(started), explorer ? "yes" : "no", compose ? "yes" : "no");
    Check(started == S_OK && explorer && compose, "the add-in starts with both ribbons");
    if (started != S_OK) return 1;

    // 2. A new mail, and the files attached as the user attaches them.
    ComPtr<MailItem> item = outlook.ComposeNewMail();
    std::vector<Source> sources;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((picturesFolder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                sources.push_back({found.cFileName, FileBytes(picturesFolder + L"\\" + found.cFileName)});
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    const int pictures = CountPictures(sources);
    const int others = static_cast<int>(sources.size()) - pictures;
    std::wstring label;
    std::printf("\n2. A new mail; %zu files attached as the user attaches them (%d pictures):\n",
                sources.size(), pictures);
    for (const Source& source : sources) {
        const HRESULT added = item->AttachmentList().AddAsUser(picturesFolder + L"\\" + source.name, source.name);
        Check(added == S_OK, "each file is attached");
    }
    Tally tally = PrintAttachments(*item.Get(), sources);
    host.GetLabel(L"PlenzarMailToggle", &label);
    const std::wstring startLabel = label;
    std::printf("   toggle label \"%s\": %d pictures replaced by the engine's version, %d other file untouched\n",
                Narrow(label).c_str(), tally.tagged, tally.untouchedOthers);
    Check(tally.tagged == pictures && tally.untouchedOthers == others,
          "every picture replaced, the text file untouched");

    // 3. The Small profile from the menu, the toggle off and on again.
    const HRESULT clicked = host.Click(L"PlenzarMailSmall");
    host.GetLabel(L"PlenzarMailToggle", &label);
    std::printf("\n3. \"Small Size (640px)\" picked from the ribbon's menu (ButtonClicked on PlenzarMailSmall): "
                "toggle label \"%s\"\n", Narrow(label).c_str());
    tally = PrintAttachments(*item.Get(), sources);
    Check(clicked == S_OK && label == L"Small" && tally.tagged == pictures, "re-made at Small");

    host.ClickToggle(L"PlenzarMailToggle", false);
    host.GetLabel(L"PlenzarMailToggle", &label);
    tally = Tally{};
    for (const Source& source : sources) {
        ComPtr<Attachment> attachment = FindAttachment(*item.Get(), source.name);
        tally.identical += attachment && attachment->Bytes() == source.bytes;
    }
    std::printf("   toggle switched off: label \"%s\", %d of %zu attachments equal their files byte for byte\n",
                Narrow(label).c_str(), tally.identical, sources.size());
    Check(label == L"None" && tally.identical == static_cast<int>(sources.size()),
          "the first versions are back, byte for byte");

    host.ClickToggle(L"PlenzarMailToggle", true);
    host.GetLabel(L"PlenzarMailToggle", &label);
    tally = Tally{};
    for (const Source& source : sources) {
        ComPtr<Attachment> attachment = FindAttachment(*item.Get(), source.name);
        tally.tagged += attachment && attachment->Property(kKeptVersionProperty);
    }
    std::printf("   toggle switched on again: label \"%s\", %d pictures replaced again\n",
                Narrow(label).c_str(), tally.tagged);
    Check(label == startLabel && tally.tagged == pictures, "switched on again");
    const size_t keptBeforeSend = KeptFiles().size();

    // 4. Sent.
    bool cancelled = false;
    const HRESULT sent = outlook.App().FireItemSend(item->AsDispatch(), &cancelled);
    const std::wstring body = item->Body();
    const size_t keptAfterSend = KeptFiles().size();
    std::printf("\n4. Mail sent (0x%08lX): body \"%s\"; kept first versions in the work folder: "
                "%zu before, %zu after\n",
                static_cast<unsigned long>(sent), Narrow(body).c_str(), keptBeforeSend, keptAfterSend);
    Check(sent == S_OK && !cancelled && body.find(L"Attachments optimized with PlenzarMail. ") == 0,
          "the footer ends the body");
    Check(keptBeforeSend == static_cast<size_t>(pictures) && keptAfterSend == 0,
          "the work folder keeps no first version after sending");

    // 5. The log, Quit, release and unload.
    std::printf("\n5. %sLog.txt:\n", Narrow(WorkFolder()).c_str());
    std::ifstream log((WorkFolder() + L"Log.txt").c_str(), std::ios::binary);
    std::string line;
    int lines = 0;
    while (std::getline(log, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::printf("   %s\n", line.c_str());
        ++lines;
    }
    Check(lines > 0, "the add-in logs its work");
    const HRESULT shutdown = host.Shutdown();
    const HRESULT unloaded = host.UnloadLibrary();
    std::printf("   OnBeginShutdown, Quit, OnDisconnection, released: 0x%08lX; DllCanUnloadNow and "
                "FreeLibrary: 0x%08lX\n",
                static_cast<unsigned long>(shutdown), static_cast<unsigned long>(unloaded));
    Check(shutdown == S_OK && unloaded == S_OK, "the library unloads");
    return g_failures == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mail_demo <pictures folder>\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int result = Run(argv[1]);
    CoUninitialize();
    if (result != 0) std::printf("\n%d step(s) did not give what they print\n", g_failures);
    return result;
}
