// The attachment pipeline driven as Outlook drives it: attachments added by the user
// raise BeforeAttachmentAdd on the add-in's item listener, profile changes re-run it over
// the item, and the development engine copies its source.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "classlib/exceptions.h"
#include "mail_addin/addin_globals.h"
#include "mail_addin/event_sink.h"
#include "mail_addin/outlook_access.h"
#include "mail_addin/pipeline.h"
#include "mail_addin/tests/support/pipeline_fixture.h"
#include "mail_addin/work_folder.h"
#include "tests/outlook_double/file_bytes.h"

namespace addin_test {
namespace {

using outlook_double::Variant;
using Lines = std::vector<std::string>;


std::string Utf8(const std::wstring& text)
{
    return std::string(text.begin(), text.end());  // the names here are ASCII
}

// File names in the order FilesIn gives them.
std::vector<std::wstring> Sorted(std::vector<std::wstring> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

std::wstring MessageOf(HRESULT hr)
{
    return COleException(hr).GetErrorMessage();
}

size_t EventsRaised(const outlook_double::OutlookDouble& outlook, DISPID dispid)
{
    size_t count = 0;
    for (const auto& event : outlook.Events()) {
        if (event.dispid == dispid) {
            EXPECT_EQ(S_OK, event.result) << "event " << std::hex << dispid;
            ++count;
        }
    }
    return count;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring OutputFolderOf(const test_engine::Call& call)
{
    return call.proposedOutput.substr(0, call.proposedOutput.rfind(L'\\') + 1);
}

using PipelineTest = PipelineFixture;

TEST_F(PipelineTest, AttachedPictureIsReplacedByTheEngineOutputAndItsFirstVersionKept) {
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    ComPtr<Attachment> added = AttachAsUser(item.Get(), L"holiday.jpg", kPicture);

    ComPtr<Attachment> replacement = Only(item.Get());
    ASSERT_TRUE(replacement);
    EXPECT_NE(added.Get(), replacement.Get());
    EXPECT_TRUE(added->IsDeleted());
    EXPECT_EQ(L"holiday.jpg", replacement->DisplayName());
    EXPECT_EQ(kPicture, replacement->Bytes());

    const std::wstring kept = KeptNameOf(replacement.Get());
    ASSERT_EQ(14u, kept.size());
    EXPECT_EQ(L".jpg", kept.substr(10));
    EXPECT_EQ(kept, KeptNameOf(added.Get()));  // tagged before the engine ran
    EXPECT_EQ(kPicture, KeptBytes(kept));
    // The output file went once Outlook held its copy; the first version stays.
    EXPECT_EQ(Sorted({L"Log.txt", kept}), AddinTestEnvironment::FilesIn(env_->WorkFolder()));

    const auto calls = env_->OptimizeCalls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(env_->WorkFolder() + kept, calls[0].path);
    EXPECT_EQ(520, calls[0].capacity);
    EXPECT_EQ(PROFILE_MEDIUM, calls[0].profile);
    // The output bears the attachment's name, in a fresh folder of its own that went with it.
    ASSERT_EQ(env_->WorkFolder().size() + 11 + 11, calls[0].proposedOutput.size());
    EXPECT_EQ(0u, calls[0].proposedOutput.find(env_->WorkFolder()));
    EXPECT_EQ(L"\\holiday.jpg", calls[0].proposedOutput.substr(env_->WorkFolder().size() + 10));
    EXPECT_FALSE(Exists(OutputFolderOf(calls[0])));

    const Lines lines = env_->LogLines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_TRUE(IsEngineLine(lines[0], 2, ".jpg", 900));
    EXPECT_EQ("MI_UA st:2 att_proc in[ext:.jpg sz:900] out[ext:.jpg sz:900]", lines[1]);

    // The pipeline's own Add and Delete raised their events into the add-in, which let
    // them be: one engine call, the kept first version still there.
    EXPECT_EQ(2u, EventsRaised(outlook_, dispid::BeforeAttachmentAdd));
    EXPECT_EQ(1u, EventsRaised(outlook_, dispid::AttachmentRemove));
}

TEST_F(PipelineTest, RefusedFileAndUntaggedPictureUnderNoneAreLeftAlone) {
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    ComPtr<Attachment> text = AttachAsUser(item.Get(), L"notes.txt", kPicture);
    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_RELEASE);
    ComPtr<MailItem> none = NewMail(PROFILE_NONE);
    ComPtr<Attachment> picture = AttachAsUser(none.Get(), L"holiday.jpg", kPicture);
    ProcessAllAttachments(none->AsDispatch(), PIPELINE_MODE_APPLY);

    EXPECT_EQ(text.Get(), Only(item.Get()).Get());
    EXPECT_EQ(picture.Get(), Only(none.Get()).Get());
    EXPECT_EQ(nullptr, text->Property(PLENZAR_ORIG_SCHEMA_NAME));
    EXPECT_EQ(nullptr, picture->Property(PLENZAR_ORIG_SCHEMA_NAME));
    EXPECT_TRUE(env_->OptimizeCalls().empty());
    EXPECT_EQ((Lines{"MI_UAs attachments [count:1]", "MI_UAs attachments [count:1]"}), env_->LogLines());
    EXPECT_EQ((std::vector<std::wstring>{L"Log.txt"}), AddinTestEnvironment::FilesIn(env_->WorkFolder()));
}

TEST_F(PipelineTest, ProfileChangesStartFromTheKeptFirstVersionAndNoneRestoresIt) {
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    AttachAsUser(item.Get(), L"holiday.jpg", kPicture);
    const std::wstring kept = KeptNameOf(Only(item.Get()).Get());
    const std::wstring keptPath = env_->WorkFolder() + kept;

    SetProfile(item.Get(), PROFILE_TINY);
    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);
    SetProfile(item.Get(), PROFILE_NONE);
    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);
    ComPtr<Attachment> restored = Only(item.Get());
    SetProfile(item.Get(), PROFILE_MEDIUM);
    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);

    const auto calls = env_->OptimizeCalls();
    ASSERT_EQ(3u, calls.size());
    for (const auto& call : calls)
        EXPECT_EQ(keptPath, call.path);  // never an earlier output
    EXPECT_EQ(PROFILE_TINY, calls[1].profile);
    EXPECT_EQ(PROFILE_MEDIUM, calls[2].profile);
    EXPECT_NE(calls[0].proposedOutput, calls[2].proposedOutput);

    EXPECT_EQ(kPicture, restored->Bytes());
    EXPECT_EQ(L"holiday.jpg", restored->DisplayName());
    EXPECT_EQ(kept, KeptNameOf(restored.Get()));
    ComPtr<Attachment> last = Only(item.Get());
    EXPECT_EQ(kept, KeptNameOf(last.Get()));
    EXPECT_EQ(Sorted({L"Log.txt", kept}), AddinTestEnvironment::FilesIn(env_->WorkFolder()));

    const Lines lines = env_->LogLines();
    ASSERT_EQ(10u, lines.size());
    EXPECT_EQ("MI_UAs attachments [count:1]", lines[2]);
    EXPECT_TRUE(IsEngineLine(lines[3], 0, ".jpg", 900));
    EXPECT_EQ("MI_UA st:0 att_proc in[ext:.jpg sz:900] out[ext:.jpg sz:900]", lines[4]);
    EXPECT_EQ("MI_UAs attachments [count:1]", lines[5]);
    EXPECT_EQ("MI_UA st:-1 att_proc in[ext:.jpg sz:900] out[ext:.jpg sz:900]", lines[6]);
    EXPECT_EQ("MI_UAs attachments [count:1]", lines[7]);
    EXPECT_TRUE(IsEngineLine(lines[8], 2, ".jpg", 900));
}

TEST_F(PipelineTest, ReleaseOrRemovalByTheUserDeletesTheKeptFirstVersionAndItsCopies) {
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    AttachAsUser(item.Get(), L"holiday.jpg", kPicture);
    AttachAsUser(item.Get(), L"garden.jpg", kPicture);
    item->AttachmentList().AttachQuietly(L"plan.png", kPicture);  // untagged
    const std::wstring released = KeptNameOf(item->AttachmentList().At(0).Get());
    const std::wstring removed = KeptNameOf(item->AttachmentList().At(1).Get());
    ASSERT_TRUE(InWorkFolder(removed));
    // Copies of earlier runs that the engine could not make smaller or that failed, under
    // any profile; another attachment's copy stays.
    const std::wstring notSmaller = GetNotSmallerFolder(), fail = GetFailFolder();
    for (const std::wstring& copy : {notSmaller + L"2_" + removed, fail + L"-1_" + removed,
                                     notSmaller + L"4_" + released, fail + L"12_" + released,
                                     notSmaller + L"3_x" + released})
        ASSERT_TRUE(outlook_double::WriteFileBytes(copy, kPicture));

    item->AttachmentList().At(1)->DeleteAsUser();
    EXPECT_FALSE(InWorkFolder(removed));
    EXPECT_TRUE(InWorkFolder(released));
    EXPECT_EQ(1u, AddinTestEnvironment::FilesIn(fail).size());
    ReleaseKeptOriginals(item->AsDispatch());

    EXPECT_FALSE(InWorkFolder(released));
    EXPECT_EQ((std::vector<std::wstring>{L"3_x" + released}), AddinTestEnvironment::FilesIn(notSmaller));
    EXPECT_TRUE(AddinTestEnvironment::FilesIn(fail).empty());
    EXPECT_EQ(released, KeptNameOf(item->AttachmentList().At(0).Get()));
    EXPECT_TRUE(KeptNameOf(item->AttachmentList().At(1).Get()).empty());
    const Lines lines = env_->LogLines();
    ASSERT_EQ(5u, lines.size());  // no MI_UA line for the release
    EXPECT_EQ("MI_UAs attachments [count:2]", lines[4]);
}

// A tag is read from the attachment, which may come from anyone's mail: a tag that names
// a file outside the work folder is not taken for a kept first version.
TEST_F(PipelineTest, TagWithAFolderPartIsNotTakenForAKeptFirstVersion) {
    const std::wstring victim = env_->TempFolder() + L"victim.jpg";
    ASSERT_TRUE(outlook_double::WriteFileBytes(victim, kPicture));
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    ComPtr<Attachment> forwarded = item->AttachmentList().AttachQuietly(L"photo.jpg", PictureBytes(50, 9));
    forwarded->SetProperty(PLENZAR_ORIG_SCHEMA_NAME, Variant::Text(L"..\\victim.jpg"));

    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);
    const std::wstring kept = KeptNameOf(Only(item.Get()).Get());
    EXPECT_EQ(14u, kept.size());
    EXPECT_EQ(PictureBytes(50, 9), KeptBytes(kept));

    forwarded = item->AttachmentList().AttachQuietly(L"other.jpg", kPicture);
    forwarded->SetProperty(PLENZAR_ORIG_SCHEMA_NAME, Variant::Text(L"..\\victim.jpg"));
    forwarded->DeleteAsUser();
    ReleaseKeptOriginals(item->AsDispatch());

    std::vector<BYTE> bytes;
    EXPECT_TRUE(outlook_double::ReadFileBytes(victim, &bytes));
    EXPECT_EQ(kPicture, bytes);
}

TEST_F(PipelineTest, EngineFailureLeavesTheAttachmentTaggedWithANotSmallerCopy) {
    test_engine::Behaviour failing;
    failing.optimize = test_engine::OptimizeAction::Fail;
    env_->SetEngineBehaviour(failing);
    ComPtr<MailItem> item = NewMail(PROFILE_LARGE);
    ComPtr<Attachment> original = item->AttachmentList().AttachQuietly(L"scan.tif", kPicture);

    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);

    EXPECT_EQ(original.Get(), Only(item.Get()).Get());
    const std::wstring kept = KeptNameOf(original.Get());
    ASSERT_FALSE(kept.empty());
    EXPECT_TRUE(InWorkFolder(kept));
    EXPECT_EQ((std::vector<std::wstring>{L"3_" + kept}), AddinTestEnvironment::FilesIn(env_->NotSmallerFolder()));
    const Lines lines = env_->LogLines();
    ASSERT_EQ(3u, lines.size());
    EXPECT_TRUE(IsEngineLine(lines[1], 3, ".tif", 900));
    EXPECT_EQ("MI_UA st:3 att_proc in[ext:.tif sz:900] out[ext:.tif sz:++] ", lines[2]);
}

// A tag whose file is gone is not trusted: nothing can be restored from it.
TEST_F(PipelineTest, RestoreWhoseKeptFirstVersionVanishedLeavesTheAttachmentAlone) {
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    AttachAsUser(item.Get(), L"holiday.jpg", kPicture);
    ComPtr<Attachment> replacement = Only(item.Get());
    DeleteFileW((env_->WorkFolder() + KeptNameOf(replacement.Get())).c_str());

    SetProfile(item.Get(), PROFILE_NONE);
    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);

    EXPECT_EQ(replacement.Get(), Only(item.Get()).Get());
    EXPECT_EQ("MI_UAs attachments [count:1]", env_->LogLines().back());
    EXPECT_TRUE(AddinTestEnvironment::FilesIn(env_->NotSmallerFolder()).empty());
}

// A tag travels with the attachment and can hold anything: one that the pipeline did not
// give, or whose file is not in the work folder, counts as none.
TEST_F(PipelineTest, TagsThePipelineDidNotGiveCountAsNoTag) {
    ComPtr<MailItem> item = NewMail(PROFILE_NONE);
    const std::vector<BYTE> bytes[] = {PictureBytes(50, 9), PictureBytes(60, 7)};
    const auto attachTagged = [&](int i) {
        const wchar_t* tags[] = {L"Log.txt", L"Q52B3EbdHr.png"};  // the log; another user's
        item->AttachmentList()
            .AttachQuietly(i ? L"scan.png" : L"photo.jpg", bytes[i])
            ->SetProperty(PLENZAR_ORIG_SCHEMA_NAME, Variant::Text(tags[i]));
    };
    attachTagged(0);
    attachTagged(1);
    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);
    ReleaseKeptOriginals(item->AsDispatch());
    item->AttachmentList().At(0)->DeleteAsUser();
    EXPECT_EQ((Lines{"MI_UAs attachments [count:2]", "MI_UAs attachments [count:2]"}), env_->LogLines());

    attachTagged(0);
    SetProfile(item.Get(), PROFILE_MEDIUM);
    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);
    for (int i = 0; i < 2; ++i) {
        const ComPtr<Attachment> replacement = item->AttachmentList().At(i);
        EXPECT_EQ(bytes[1 - i], replacement->Bytes());
        EXPECT_EQ(bytes[1 - i], KeptBytes(KeptNameOf(replacement.Get())));
    }
}

// A picture pasted into the text or held by a signature: a replacement would be an
// ordinary attachment and the body's picture broken.
TEST_F(PipelineTest, PicturesOfTheBodyAreLeftAloneWhereverThePipelineMeetsThem) {
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    ComPtr<Attachment> pasted = item->AttachmentList().AttachQuietly(L"image001.png", kPicture);
    pasted->MarkAsBodyPicture(L"image001.png@01DA4B2C.5E6F7A80");
    ComPtr<Attachment> signature = item->AttachmentList().AttachQuietly(L"logo.jpg", kPicture);
    signature->MarkAsBodyPicture(L"");
    item->AttachmentList().AttachQuietly(L"photo.jpg", kPicture)->MarkAsBodyPicture(L"", false);  // ordinary

    for (int profile : {PROFILE_MEDIUM, PROFILE_NONE}) {
        SetProfile(item.Get(), profile);
        ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);
    }
    ReleaseKeptOriginals(item->AsDispatch());
    EXPECT_EQ(pasted.Get(), item->AttachmentList().At(0).Get());
    EXPECT_EQ(signature.Get(), item->AttachmentList().At(1).Get());
    EXPECT_EQ(nullptr, pasted->Property(PLENZAR_ORIG_SCHEMA_NAME));
    EXPECT_EQ(nullptr, signature->Property(PLENZAR_ORIG_SCHEMA_NAME));
    EXPECT_EQ(1u, env_->OptimizeCalls().size());
}

// The engine may write another type than proposed; a restore gives back the first version's.
TEST_F(PipelineTest, DisplayNameEndsInTheExtensionOfTheFileItHolds) {
    test_engine::Behaviour rewriting;
    rewriting.optimize = test_engine::OptimizeAction::RewriteExtension;
    rewriting.rewriteExtension = L".jpg";
    env_->SetEngineBehaviour(rewriting);
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    AttachAsUser(item.Get(), L"drawing.v2.bmp", kPicture);
    EXPECT_EQ(L"drawing.v2.jpg", Only(item.Get())->DisplayName());

    SetProfile(item.Get(), PROFILE_NONE);
    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);
    EXPECT_EQ(L"drawing.v2.bmp", Only(item.Get())->DisplayName());
    EXPECT_EQ(kPicture, Only(item.Get())->Bytes());
    SetProfile(item.Get(), PROFILE_SMALL);
    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);
    EXPECT_EQ(L"drawing.v2.jpg", Only(item.Get())->DisplayName());
    const std::wstring proposed = env_->OptimizeCalls().back().proposedOutput;
    EXPECT_EQ(L"\\drawing.v2.bmp", proposed.substr(proposed.rfind(L'\\')));
}

// Outlook shows a plain-text or HTML mail's attachment under the name of the file attached,
// a rich-text mail's under the display name given: both are the attachment's own name. A
// name that no file may bear names a file in the output's folder all the same.
TEST_F(PipelineTest, TheFileAttachedBearsTheAttachmentsNameInEveryMailFormat) {
    for (LONG format : {2, 3}) {
        ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
        item->SetBodyFormat(format);
        AttachAsUser(item.Get(), L"holiday.jpg", kPicture);
        EXPECT_EQ(L"holiday.jpg", Only(item.Get())->DisplayName()) << format;
        SetProfile(item.Get(), PROFILE_NONE);
        ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);
        EXPECT_EQ(L"holiday.jpg", Only(item.Get())->DisplayName()) << format;
    }
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    item->AttachmentList().AttachQuietly(L"..\\..\\plan:v2.jpg", kPicture);
    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);
    EXPECT_EQ(L".._.._plan_v2.jpg", Only(item.Get())->DisplayName());
    EXPECT_EQ(kPicture, Only(item.Get())->Bytes());
    EXPECT_FALSE(Exists(OutputFolderOf(env_->OptimizeCalls().back())));
    ComPtr<MailItem> device = NewMail(PROFILE_MEDIUM);
    device->AttachmentList().AttachQuietly(L"nul.jpg", kPicture);
    ProcessAllAttachments(device->AsDispatch(), PIPELINE_MODE_APPLY);
    EXPECT_EQ(L"_nul.jpg", Only(device.Get())->DisplayName());
    EXPECT_EQ(kPicture, Only(device.Get())->Bytes());
}

// A forwarded mail, a link or an OLE object may bear a picture's name; only a file attached
// by value is taken over. A new attachment whose method reads "none yet" goes by its Type.
TEST_F(PipelineTest, OnlyFilesAttachedByValueAreTakenOver) {
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    outlook_double::Attachments& list = item->AttachmentList();
    ComPtr<Attachment> forwarded =
        list.Add(env_->MakeSourceFile(L"IMG_2001.JPG", PictureBytes(70, 3)), L"", OL_EMBEDDED_ITEM);
    ComPtr<Attachment> link = list.AttachQuietly(L"plan.png", kPicture);
    link->SetType(OL_BY_REFERENCE);
    ComPtr<Attachment> ole = list.AttachQuietly(L"chart.png", kPicture);
    ole->SetProperty(ATTACH_METHOD_SCHEMA_NAME, Variant::Int(6));  // ATTACH_OLE
    list.AttachQuietly(L"new.jpg", kPicture)->SetProperty(ATTACH_METHOD_SCHEMA_NAME, Variant::Int(0));
    list.AttachQuietly(L"photo.jpg", kPicture)->SetProperty(ATTACH_METHOD_SCHEMA_NAME, Variant::Int(1));

    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);
    ReleaseKeptOriginals(item->AsDispatch());

    ASSERT_EQ(5u, list.Count());
    const Attachment* refused[] = {forwarded.Get(), link.Get(), ole.Get()};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(refused[i], list.At(i).Get()) << i;
        EXPECT_EQ(nullptr, list.At(i)->Property(PLENZAR_ORIG_SCHEMA_NAME)) << i;
    }
    EXPECT_EQ(2u, env_->OptimizeCalls().size());
    EXPECT_FALSE(KeptNameOf(list.At(3).Get()).empty());
    EXPECT_FALSE(KeptNameOf(list.At(4).Get()).empty());
}

TEST_F(PipelineTest, OutlookErrorOnTheSecondOfThreeAttachmentsSparesTheOthers) {
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    item->AttachmentList().AttachQuietly(L"a.jpg", PictureBytes(10));
    ComPtr<Attachment> second = item->AttachmentList().AttachQuietly(L"b.jpg", PictureBytes(20));
    item->AttachmentList().AttachQuietly(L"c.jpg", PictureBytes(30));
    outlook_.Fail(second.Get(), dispid::Size, Failure::OutlookException(L"The attachment is busy."));

    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);

    ASSERT_EQ(3u, item->AttachmentList().Count());
    EXPECT_EQ(second.Get(), item->AttachmentList().At(0).Get());
    EXPECT_EQ(L"a.jpg", item->AttachmentList().At(1)->DisplayName());
    EXPECT_EQ(L"c.jpg", item->AttachmentList().At(2)->DisplayName());
    const std::wstring kept = KeptNameOf(second.Get());
    EXPECT_EQ((std::vector<std::wstring>{L"2_" + kept}), AddinTestEnvironment::FilesIn(env_->FailFolder()));
    const Lines lines = env_->LogLines();
    ASSERT_EQ(6u, lines.size());
    EXPECT_EQ("MI_UAs attachments [count:3]", lines[0]);
    EXPECT_EQ("MI_UA st:2 att_proc in[ext:.jpg sz:10] out[ext:.jpg sz:10]", lines[2]);
    EXPECT_EQ("MI_UA error: The attachment is busy. file:2_" + Utf8(kept), lines[3]);
    EXPECT_EQ("MI_UA st:2 att_proc in[ext:.jpg sz:30] out[ext:.jpg sz:30]", lines[5]);
}

// Nothing done before a failing step is undone, and only a known first version is copied.
// What a failed step did to the mail stays; a file it made (a first version saved but never
// tagged, an output Outlook did not take or no longer needs) goes with the run.
TEST_F(PipelineTest, FailingStepsOfOneAttachmentLeaveWhatWasDoneButNoFileOfTheirs) {
    ComPtr<MailItem> unsaved = NewMail(PROFILE_MEDIUM);
    ComPtr<Attachment> first = unsaved->AttachmentList().AttachQuietly(L"a.jpg", kPicture);
    outlook_.Fail(L"Attachment", dispid::SaveAsFile, Failure::Hresult(E_ACCESSDENIED));
    ProcessAllAttachments(unsaved->AsDispatch(), PIPELINE_MODE_APPLY);
    EXPECT_TRUE(KeptNameOf(first.Get()).empty());
    EXPECT_EQ("MI_UA error: " + Utf8(MessageOf(E_ACCESSDENIED)), env_->LogLines().back());
    EXPECT_TRUE(AddinTestEnvironment::FilesIn(env_->FailFolder()).empty());

    outlook_.Fail(L"PropertyAccessor", dispid::SetProperty, Failure::OutlookException(L"Refused."));
    ProcessAllAttachments(unsaved->AsDispatch(), PIPELINE_MODE_APPLY);
    ASSERT_EQ(2u, outlook_.CallsTo(L"Attachment", dispid::SaveAsFile).size());  // saved this time
    EXPECT_TRUE(KeptNameOf(first.Get()).empty());
    EXPECT_EQ("MI_UA error: Refused.", env_->LogLines().back());
    EXPECT_EQ(1u, AddinTestEnvironment::FilesIn(env_->WorkFolder()).size());  // the log only

    ComPtr<MailItem> noObject = NewMail(PROFILE_MEDIUM);
    ComPtr<Attachment> second = noObject->AttachmentList().AttachQuietly(L"b.jpg", kPicture);
    outlook_.Fail(&noObject->AttachmentList(), dispid::AttachmentsAdd, Failure::Nothing());
    ProcessAllAttachments(noObject->AsDispatch(), PIPELINE_MODE_APPLY);
    EXPECT_EQ(second.Get(), Only(noObject.Get()).Get());
    EXPECT_EQ("MI_UA st:2 att_proc in[ext:.jpg sz:900] out[ext:.jpg] Unable to create new attachment",
              env_->LogLines().back());
    EXPECT_EQ(2u, AddinTestEnvironment::FilesIn(env_->WorkFolder()).size());  // log, kept
    const std::wstring output = env_->OptimizeCalls().back().proposedOutput;
    EXPECT_FALSE(Exists(output));
    EXPECT_FALSE(Exists(output.substr(0, output.rfind(L'\\'))));  // nor its own folder

    ComPtr<MailItem> locked = NewMail(PROFILE_MEDIUM);
    ComPtr<Attachment> third = locked->AttachmentList().AttachQuietly(L"c.jpg", kPicture);
    outlook_.Fail(third.Get(), dispid::Delete, Failure::OutlookException(L"The item is locked."));
    ProcessAllAttachments(locked->AsDispatch(), PIPELINE_MODE_APPLY);
    ASSERT_EQ(2u, locked->AttachmentList().Count());
    const std::wstring kept = KeptNameOf(third.Get());
    EXPECT_TRUE(KeptNameOf(locked->AttachmentList().At(1).Get()).empty());
    EXPECT_EQ("MI_UA error: The item is locked. file:2_" + Utf8(kept), env_->LogLines().back());
    EXPECT_EQ((std::vector<std::wstring>{L"2_" + kept}), AddinTestEnvironment::FilesIn(env_->FailFolder()));
    EXPECT_FALSE(Exists(env_->OptimizeCalls().back().proposedOutput));  // the item has its copy
}

TEST_F(PipelineTest, CollectionFailuresEndTheRunBeforeAnyAttachment) {
    ComPtr<MailItem> empty = NewMail(PROFILE_MEDIUM);
    ProcessAllAttachments(empty->AsDispatch(), PIPELINE_MODE_APPLY);
    EXPECT_EQ((Lines{"MI_UAs attachments [count:0]"}), env_->LogLines());

    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    item->AttachmentList().AttachQuietly(L"a.jpg", kPicture);
    item->AttachmentList().AttachQuietly(L"b.jpg", kPicture);
    outlook_.Fail(item.Get(), dispid::Attachments, Failure::Nothing());
    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);
    EXPECT_EQ("MI_UAs get_Attachments zero", env_->LogLines().back());

    outlook_.Fail(&item->AttachmentList(), dispid::Count, Failure::OutlookException(L"No count."));
    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);
    EXPECT_EQ("MI_UAs error: No count.", env_->LogLines().back());

    outlook_.Fail(&item->AttachmentList(), dispid::AttachmentsItem, Failure::Hresult(E_OUTOFMEMORY));
    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);
    EXPECT_EQ("MI_UAs error: " + Utf8(MessageOf(E_OUTOFMEMORY)), env_->LogLines().back());
    EXPECT_TRUE(env_->OptimizeCalls().empty());
}

// Without the work folder, no path could name it: the run fails before the first version
// is written anywhere.
TEST_F(PipelineTest, UnavailableWorkFolderFailsTheRunWithoutWritingElsewhere) {
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);  // the log's path is set now
    ComPtr<Attachment> original = item->AttachmentList().AttachQuietly(L"a.jpg", kPicture);
    SetEnvironmentVariableW(L"TMP", (L"C:\\" + std::wstring(300, L'x')).c_str());

    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);

    EXPECT_TRUE(KeptNameOf(original.Get()).empty());
    EXPECT_TRUE(outlook_.CallsTo(L"Attachment", dispid::SaveAsFile).empty());
    EXPECT_EQ("MI_UA error: " + Utf8(MessageOf(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND))),
              env_->LogLines().back());
}

// Every Outlook call of the pipeline and the event handlers fails in turn, both ways
// Outlook fails: the add-in answers each event with S_OK, lets nothing through, and
// leaves both flags clear.
TEST_F(PipelineTest, FailureOfAnyOutlookCallStaysInsideTheAddin) {
    const std::pair<const wchar_t*, DISPID> members[] = {
        {L"MailItem", dispid::Attachments},         {L"MailItem", dispid::ItemProperties},
        {L"MailItem", dispid::Body},                {L"Attachments", dispid::Count},
        {L"MailItem", dispid::BodyFormat},
        {L"Attachments", dispid::AttachmentsItem},  {L"Attachments", dispid::AttachmentsAdd},
        {L"Attachment", dispid::DisplayName},       {L"Attachment", dispid::Size},
        {L"Attachment", dispid::SaveAsFile},        {L"Attachment", dispid::Delete},
        {L"Attachment", dispid::Parent},            {L"Attachment", dispid::PropertyAccessor},
        {L"PropertyAccessor", dispid::GetProperty}, {L"PropertyAccessor", dispid::SetProperty},
        {L"ItemProperties", dispid::Count},         {L"ItemProperty", dispid::Value},
    };
    const Failure failures[] = {Failure::OutlookException(L"Outlook is busy."), Failure::Hresult(E_FAIL)};
    g_eventListeners.Attach(outlook_.ApplicationDispatch(), IID_OutlookApplicationEvents);
    for (const auto& member : members) {
        for (const Failure& failure : failures) {
            SCOPED_TRACE(::testing::Message() << Utf8(member.first) << " " << std::hex << member.second);
            ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
            item->AttachmentList().AttachQuietly(L"first.jpg", kPicture);
            outlook_.Fail(member.first, member.second, failure, FailWhen::Always);

            EXPECT_EQ(S_OK, item->AttachmentList().AddAsUser(env_->MakeSourceFile(L"b.png", kPicture), L"b.png"));
            ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);
            if (item->AttachmentList().Count())
                item->AttachmentList().At(0)->DeleteAsUser();
            EXPECT_EQ(S_OK, outlook_.App().FireItemSend(item->AsDispatch()));
            EXPECT_EQ(S_OK, item->FireClose());

            outlook_.Host().ClearFailures();
            EXPECT_FALSE(g_addingAttachment);
            EXPECT_FALSE(g_replacingAttachment);
        }
    }
    for (const auto& event : outlook_.Events())
        EXPECT_EQ(S_OK, event.result);
}

class PipelineBelowOutlook16Test : public PipelineFixture {
protected:
    std::wstring OutlookVersion() const override { return L"15.0.4569.1506"; }
};

TEST_F(PipelineBelowOutlook16Test, DisplayNameWithItsInnerDotsChangedNamesTheOutput) {
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    AttachAsUser(item.Get(), L"a.b.c.jpg", kPicture);

    const auto calls = env_->OptimizeCalls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(env_->WorkFolder() + L"a_b_c.jpg", calls[0].proposedOutput);
    ComPtr<Attachment> replacement = Only(item.Get());
    EXPECT_EQ(L"a_b_c.jpg", replacement->DisplayName());
    EXPECT_FALSE(InWorkFolder(L"a_b_c.jpg"));
    EXPECT_EQ("MI_UA st:2 att_proc in[ext:.jpg sz:900] out[ext:.jpg sz:900]", env_->LogLines().back());
}

TEST_F(PipelineBelowOutlook16Test, DisplayNameWithoutADotEndsInTheErrorHandlerWithAFailCopy) {
    test_engine::Behaviour everything;
    everything.supportedExtensions = {L"*"};
    env_->SetEngineBehaviour(everything);
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    ComPtr<Attachment> original = item->AttachmentList().AttachQuietly(L"README", kPicture);

    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);

    const std::wstring kept = KeptNameOf(original.Get());
    ASSERT_EQ(10u, kept.size());
    EXPECT_EQ(original.Get(), Only(item.Get()).Get());
    EXPECT_EQ((std::vector<std::wstring>{L"2_" + kept}), AddinTestEnvironment::FilesIn(env_->FailFolder()));
    EXPECT_EQ("MI_UA error: " + Utf8(MessageOf(E_INVALIDARG)) + " file:2_" + Utf8(kept), env_->LogLines().back());
}

// The output path must fit its 520-unit buffer; one that does not is a failed run.
TEST_F(PipelineBelowOutlook16Test, OutputPathBeyondTheBufferIsAFailedRun) {
    ComPtr<MailItem> item = NewMail(PROFILE_MEDIUM);
    ComPtr<Attachment> original = item->AttachmentList().AttachQuietly(std::wstring(530, L'n') + L".jpg", kPicture);

    ProcessAllAttachments(item->AsDispatch(), PIPELINE_MODE_APPLY);

    EXPECT_EQ(original.Get(), Only(item.Get()).Get());
    EXPECT_TRUE(env_->OptimizeCalls().empty());
    const std::wstring kept = KeptNameOf(original.Get());
    EXPECT_EQ((std::vector<std::wstring>{L"2_" + kept}), AddinTestEnvironment::FilesIn(env_->NotSmallerFolder()));
    EXPECT_EQ("MI_UA st:2 att_proc in[ext:.jpg sz:900] out[ext: sz:++] ", env_->LogLines().back());
}

}  // namespace
}  // namespace addin_test
