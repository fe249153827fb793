// Times ProcessAllAttachments over 100 attachments of 3 MB in the Outlook double, with the
// development engine copying its source, against a bare loop of the same Outlook calls,
// file copies and engine calls in the same process, and prints the pipeline's own share of
// the whole (profile reads, log lines, names, guards).
// Run from the build tree's bin folder, where the development engine lies.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "classlib/dispatch_driver.h"
#include "mail_addin/addin_globals.h"
#include "mail_addin/outlook_access.h"
#include "mail_addin/pipeline.h"
#include "mail_addin/pipeline_names.h"
#include "mail_addin/pipeline_steps.h"
#include "mail_addin/work_folder.h"
#include "tests/engine/test_engine.h"
#include "tests/outlook_double/outlook_double.h"

namespace {

constexpr int kAttachments = 100;
constexpr size_t kAttachmentBytes = 3 * 1024 * 1024;
// The attachments go in mails of kMailAttachments, the bare loop and the pipeline taking
// turns mail by mail, so that the disk's and the machine's moods fall on both alike.
constexpr int kMailAttachments = 5;
constexpr int kPasses = 3;  // the figures are the passes' totals, divided by kPasses

using Clock = std::chrono::steady_clock;
using outlook_double::ComPtr;
using outlook_double::MailItem;

ComPtr<MailItem> MailWithPictures(outlook_double::OutlookDouble& outlook, const std::vector<BYTE>& picture)
{
    ComPtr<MailItem> item = outlook.NewMailItem();
    item->Properties().AddQuietly(L"PlenzarType", 20, outlook_double::Variant::Int(PROFILE_MEDIUM));
    for (int i = 0; i < kMailAttachments; ++i)
        item->AttachmentList().AttachQuietly(L"picture" + std::to_wstring(i) + L".jpg", picture);
    return item;
}

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// What the pipeline asks of Outlook, the file system and the engine for each attachment,
// without the profile, the log, the names or the guards.
double BareLoop(IDispatch* item, const std::wstring& work)
{
    const auto start = Clock::now();
    COleDispatchDriver attachments(GetItemAttachments(item));
    long count = 0;
    attachments.GetProperty(outlook::kCount, VT_I4, &count);
    std::vector<std::unique_ptr<COleDispatchDriver>> snapshot;
    for (int index = 1; index <= count; ++index) {
        LPDISPATCH attachment = nullptr;
        attachments.InvokeHelper(outlook::kAttachmentsItem, DISPATCH_METHOD, VT_DISPATCH, &attachment, VTS_INT,
                                 index);
        snapshot.push_back(std::make_unique<COleDispatchDriver>(attachment));
    }
    int n = 0;
    for (const auto& holder : snapshot) {
        IDispatch* attachment = holder->m_lpDispatch;
        const std::wstring name = GetDispatchDisplayName(attachment);
        if (!g_engine->IsSupported(name.c_str()) || !GetKeptName(attachment, work).empty())
            continue;
        const std::wstring kept = L"kept" + std::to_wstring(n) + L".jpg";
        SaveAttachmentAsFile(attachment, work + kept);
        TagAttachment(attachment, kept);
        GetAttachmentSize(attachment);
        wchar_t output[OUTPUT_PATH_CAPACITY] = {};
        wcscpy(output, (work + L"out" + std::to_wstring(n++) + L".jpg").c_str());
        if (g_engine->Optimize((work + kept).c_str(), output, OUTPUT_PATH_CAPACITY, PROFILE_MEDIUM) != 0)
            continue;
        COleDispatchDriver collection(GetItemAttachments(item));
        LPDISPATCH added = nullptr;
        collection.InvokeHelper(outlook::kAttachmentsAdd, DISPATCH_METHOD, VT_DISPATCH, &added,
                                VTS_BSTR VTS_INT VTS_INT VTS_BSTR, output, 1, 1, name.c_str());
        COleDispatchDriver replacement(added);
        COleDispatchDriver(attachment, FALSE).InvokeHelper(outlook::kDelete, DISPATCH_METHOD, VT_EMPTY, nullptr,
                                                           VTS_NONE);
        DeleteFileW(output);
        GetAttachmentSize(added);
        TagAttachment(added, kept);
    }
    return Seconds(start);
}

double PipelineRun(IDispatch* item)
{
    const auto start = Clock::now();
    ProcessAllAttachments(item, PIPELINE_MODE_APPLY);
    return Seconds(start);
}

void EmptyFolder(const std::wstring& folder)
{
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW((folder + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

int main()
{
    test_engine::ScopedTempFolder temp;
    const std::wstring engineFolder = temp.MakeSubFolder(L"engine");
    SetEnvironmentVariableW(L"TMP", (temp.MakeSubFolder(L"temp") + L"\\").c_str());
    SetEnvironmentVariableW(L"PLENZAR_TEST_ENGINE_DIR", engineFolder.c_str());

    outlook_double::OutlookDouble outlook;
    InitializeAddIn(outlook.ApplicationDispatch());
    const std::wstring work = GetWorkFolder();
    if (!g_engine || !g_engine->IsSupported(L"probe.jpg") || work.empty()) {
        fprintf(stderr, "no development engine beside the benchmark, or no work folder\n");
        return 1;
    }

    const std::vector<BYTE> picture(kAttachmentBytes, 0x5A);
    double bare = 0, pipeline = 0;
    // Each run gets a fresh mail, a clean work folder and an empty engine record and call
    // record, so that neither finds more on disk or in memory than the other.
    auto measure = [&](bool pipelineRun) {
        double seconds = 0;
        {
            ComPtr<MailItem> item = MailWithPictures(outlook, picture);
            seconds = pipelineRun ? PipelineRun(item->AsDispatch()) : BareLoop(item->AsDispatch(), work);
        }
        EmptyFolder(work);
        test_engine::Reset(engineFolder);
        outlook.Host().ClearCalls();
        return seconds;
    };
    for (int pass = 0; pass < kPasses; ++pass) {
        double passBare = 0, passPipeline = 0;
        for (int mail = 0; mail < kAttachments / kMailAttachments; ++mail) {
            const bool pipelineFirst = mail % 2 == 1;
            const double first = measure(pipelineFirst);
            const double second = measure(!pipelineFirst);
            passBare += pipelineFirst ? second : first;
            passPipeline += pipelineFirst ? first : second;
        }
        bare += passBare / kPasses;
        pipeline += passPipeline / kPasses;
        printf("  pass %d: bare loop %.3f s, pipeline %.3f s\n", pass + 1, passBare, passPipeline);
    }
    ReleaseGlobalObjects();

    printf("attachments: %d of %zu bytes in mails of %d, profile %d, an engine that copies its source"
           " (mean of %d passes)\n",
           kAttachments, kAttachmentBytes, kMailAttachments, PROFILE_MEDIUM, kPasses);
    printf("bare loop of the same Outlook calls, file copies and engine calls: %.3f s\n", bare);
    printf("ProcessAllAttachments: %.3f s\n", pipeline);
    printf("pipeline's own share (profile reads, log lines, names, guards): %.1f %% of the whole\n",
           pipeline > 0 ? (pipeline - bare) * 100.0 / pipeline : 0.0);
    return 0;
}
