// One attachment through the pipeline: brought to its item's profile from its kept first
// version, or its kept first version released.
#include "mail_addin/pipeline.h"

#include <new>
#include <optional>
#include <string>

#include "classlib/exceptions.h"
#include "classlib/module_state.h"
#include "classlib/wait_cursor.h"
#include "common/text_conversion.h"
#include "mail_addin/addin_globals.h"
#include "mail_addin/outlook_access.h"
#include "mail_addin/pipeline_file_guard.h"
#include "mail_addin/pipeline_flag_guard.h"
#include "mail_addin/pipeline_names.h"
#include "mail_addin/pipeline_output_folder.h"
#include "mail_addin/pipeline_steps.h"
#include "mail_addin/work_folder.h"

namespace {

// What a run has learnt so far; its error handler reads it.
struct AttachmentRun {
    IDispatch* item;
    IDispatch* attachment;
    int mode;
    PlenzarProfile profile = PROFILE_NONE;
    std::wstring keptName;  // set once the kept first version is known
    std::wstring keptPath;
};

// The texts of the MI_UA lines, as UTF-8.
struct RunLogTexts {
    std::string inputExtension;
    LONG inputSize = 0;
};

std::string Utf8(const std::wstring& text)
{
    const CWideToUtf8 utf8(text.c_str());
    if (!utf8.c_str())
        AfxThrowMemoryException();
    return utf8.c_str();
}

// The engine's output, or under none a copy of the kept first version, at the path in
// output. False when the run failed.
bool MakeOutput(const AttachmentRun& run, CEngine& engine, const RunLogTexts& texts, wchar_t* output)
{
    if (run.profile == PROFILE_NONE)
        return CopyFileW(run.keptPath.c_str(), output, FALSE) != FALSE;

    LARGE_INTEGER frequency = {}, before = {}, after = {};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    const int result = engine.Optimize(run.keptPath.c_str(), output, OUTPUT_PATH_CAPACITY, run.profile);
    QueryPerformanceCounter(&after);
    const double milliseconds =
        frequency.QuadPart ? (after.QuadPart - before.QuadPart) * 1000.0 / frequency.QuadPart : 0.0;
    WriteLog("MI_UA st:%d att_proc in[ext:%s sz:%d] comp[time:%f]", run.profile,
             texts.inputExtension.c_str(), static_cast<int>(texts.inputSize), milliseconds);
    return result == 0;
}

// The output takes the old attachment's place, under the same tag. The flags keep the
// events that Add and Delete raise from being taken for the user's.
void ReplaceAttachment(const AttachmentRun& run, const std::wstring& displayName, const wchar_t* output,
                       const RunLogTexts& texts, const std::string& outputExtension)
{
    COleDispatchDriver attachments(GetItemAttachments(run.item));

    CPipelineFlagGuard adding(g_addingAttachment, ClearAddingAttachmentFlag);
    LPDISPATCH added = nullptr;
    attachments.InvokeHelper(outlook::kAttachmentsAdd, DISPATCH_METHOD, VT_DISPATCH, &added,
                             VTS_BSTR VTS_INT VTS_INT VTS_BSTR, output, 1, 1, displayName.c_str());
    if (!added) {
        // The old attachment stays; the output goes with the run.
        WriteLog("MI_UA st:%d att_proc in[ext:%s sz:%d] out[ext:%s] Unable to create new attachment",
                 run.profile, texts.inputExtension.c_str(), static_cast<int>(texts.inputSize),
                 outputExtension.c_str());
        return;
    }
    COleDispatchDriver replacement(added);

    CPipelineFlagGuard replacing(g_replacingAttachment, ClearReplacingAttachmentFlag);
    COleDispatchDriver(run.attachment, FALSE).InvokeHelper(outlook::kDelete, DISPATCH_METHOD, VT_EMPTY, nullptr,
                                                           VTS_NONE);
    const LONG outputSize = GetAttachmentSize(added);
    WriteLog("MI_UA st:%d att_proc in[ext:%s sz:%d] out[ext:%s sz:%d]", run.profile,
             texts.inputExtension.c_str(), static_cast<int>(texts.inputSize), outputExtension.c_str(),
             static_cast<int>(outputSize));
    TagAttachment(added, run.keptName);
}

void Run(AttachmentRun& run)
{
    const std::wstring work = GetWorkFolder();
    run.profile = GetItemProfile(run.item);
    const std::wstring displayName = GetDispatchDisplayName(run.attachment);
    // No engine object after Quit: nothing is taken then. A picture of the body stays as it
    // is: its replacement would be an ordinary attachment and leave the body's picture broken.
    // Only a file attached by value is taken over: a forwarded mail, a link or an OLE object
    // whose name looks like a picture would come back as a file of other bytes.
    CEngine* engine = g_engine;
    if (!engine || !engine->IsSupported(displayName.c_str()) || IsPartOfBody(run.attachment) ||
        !IsFileAttachedByValue(run.attachment))
        return;
    const std::wstring extension = GetFileExtension(displayName);

    std::wstring kept = GetKeptName(run.attachment, work);
    if (kept.empty() && (run.mode == PIPELINE_MODE_RELEASE || run.profile == PROFILE_NONE))
        return;
    // Without the work folder no path below would name it: nothing is written elsewhere.
    if (work.empty())
        AfxThrowOleException(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    if (kept.empty()) {
        kept = MakeRandomName() + extension;
        // A saved file that no tag names would never be deleted: it goes unless tagged.
        const std::wstring savedPath = work + kept;
        CRunFileGuard saved(savedPath.c_str());
        SaveAttachmentAsFile(run.attachment, savedPath);
        TagAttachment(run.attachment, kept);
        saved.Keep();
    }
    run.keptName = kept;
    run.keptPath = work + kept;
    if (run.mode == PIPELINE_MODE_RELEASE) {
        ReleaseKeptFirstVersion(work, kept);
        return;
    }

    RunLogTexts texts;
    texts.inputExtension = Utf8(extension);
    texts.inputSize = GetAttachmentSize(run.attachment);

    // From Outlook 16 on, the file attached bears the attachment's name, in a folder of its own.
    std::optional<COutputFolder> outputFolder;
    if (g_outlookMajorVersion >= OUTLOOK_VERSION_OUTPUT_IN_OWN_FOLDER)
        outputFolder.emplace(work);
    const std::wstring outputFolderPath = outputFolder ? outputFolder->Path() : work;
    wchar_t output[OUTPUT_PATH_CAPACITY] = {};
    // Whatever becomes of the output, the item holds its own copy or none: the file goes
    // (before its folder) on every way out.
    CRunFileGuard outputFile(output);
    std::wstring replacementName;
    // The output starts from the kept first version, so its proposed name takes that one's
    // extension: a restore's copy then bears the extension of what it holds.
    const std::wstring sourceName = WithExtension(displayName, GetFileExtension(kept));
    // A path that does not fit is a failed run, like an engine that makes nothing.
    const bool made = ProposeOutputPath(outputFolderPath, sourceName, g_outlookMajorVersion, output,
                                        OUTPUT_PATH_CAPACITY, &replacementName) &&
                      MakeOutput(run, *engine, texts, output);
    const std::string outputExtension = Utf8(GetFileExtension(output));
    if (!made) {
        const std::wstring notSmallerFolder = GetNotSmallerFolder();
        if (!notSmallerFolder.empty()) {
            CopyFileW(run.keptPath.c_str(), (notSmallerFolder + DiagnosticCopyName(run.profile, kept)).c_str(),
                      FALSE);
        }
        WriteLog("MI_UA st:%d att_proc in[ext:%s sz:%d] out[ext:%s sz:++] ", run.profile,
                 texts.inputExtension.c_str(), static_cast<int>(texts.inputSize), outputExtension.c_str());
        return;
    }
    // The engine may have changed the extension (a BMP written as a JPEG): the replacement's
    // name ends in the extension of the file it holds.
    ReplaceAttachment(run, WithExtension(replacementName, GetFileExtension(output)), output, texts,
                      outputExtension);
}

// The run is over; a copy of the kept first version, when there is one, goes to the fail
// folder for diagnosis.
void ReportRunError(const AttachmentRun& run, const CException& error)
{
    const std::string message = ExceptionMessageUtf8(error);
    if (run.keptName.empty()) {
        WriteLog("MI_UA error: %s", message.c_str());
        return;
    }
    const std::wstring copyName = DiagnosticCopyName(run.profile, run.keptName);
    const std::wstring failFolder = GetFailFolder();
    if (!failFolder.empty())
        CopyFileW(run.keptPath.c_str(), (failFolder + copyName).c_str(), FALSE);
    const CWideToUtf8 copyNameUtf8(copyName.c_str());
    WriteLog("MI_UA error: %s file:%s", message.c_str(), copyNameUtf8.c_str() ? copyNameUtf8.c_str() : "");
}

}  // namespace

void ProcessAttachment(IDispatch* item, IDispatch* attachment, int mode)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CWaitCursor waitCursor;
    AttachmentRun run{item, attachment, mode};
    try {
        try {
            Run(run);
        } catch (const std::bad_alloc&) {
            AfxThrowMemoryException();
        }
    } catch (CException* raised) {
        const CExceptionPtr error(raised);
        ReportRunError(run, *error);
    }
}
