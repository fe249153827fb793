#include "mail_addin/tests/support/pipeline_fixture.h"

#include <regex>

#include "mail_addin/event_sink.h"
#include "mail_addin/outlook_access.h"
#include "tests/outlook_double/file_bytes.h"

namespace addin_test {

using outlook_double::Variant;

void PipelineFixture::SetUp()
{
    env_ = std::make_unique<AddinTestEnvironment>(outlook_, OutlookVersion());
}

void PipelineFixture::TearDown()
{
    EXPECT_FALSE(g_addingAttachment);
    EXPECT_FALSE(g_replacingAttachment);
    env_.reset();
}

ComPtr<MailItem> PipelineFixture::NewMail(int profile)
{
    ComPtr<MailItem> item = outlook_.NewMailItem();
    item->Properties().AddQuietly(L"PlenzarType", 20, Variant::Int(profile));
    g_eventListeners.Attach(item->AsDispatch(), IID_OutlookItemEvents);
    return item;
}

void PipelineFixture::SetProfile(MailItem* item, int profile)
{
    item->Properties().Find(L"PlenzarType")->SetValue(Variant::Int(profile));
}

ComPtr<Attachment> PipelineFixture::AttachAsUser(MailItem* item, const std::wstring& name,
                                                 const std::vector<BYTE>& bytes)
{
    ComPtr<Attachment> added;
    EXPECT_EQ(S_OK, item->AttachmentList().AddAsUser(env_->MakeSourceFile(name, bytes), name, &added));
    return added;
}

ComPtr<Attachment> PipelineFixture::Only(MailItem* item)
{
    EXPECT_EQ(1u, item->AttachmentList().Count());
    return item->AttachmentList().Count() ? item->AttachmentList().At(0) : ComPtr<Attachment>();
}

std::vector<BYTE> PipelineFixture::KeptBytes(const std::wstring& keptName) const
{
    std::vector<BYTE> bytes;
    outlook_double::ReadFileBytes(env_->WorkFolder() + keptName, &bytes);
    return bytes;
}

bool PipelineFixture::InWorkFolder(const std::wstring& name) const
{
    return GetFileAttributesW((env_->WorkFolder() + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

::testing::AssertionResult IsEngineLine(const std::string& line, int profile, const std::string& extension,
                                        int size)
{
    const std::string pattern = "MI_UA st:" + std::to_string(profile) + " att_proc in\\[ext:" +
                                std::regex_replace(extension, std::regex("\\."), "\\.") + " sz:" +
                                std::to_string(size) + "\\] comp\\[time:[0-9]+\\.[0-9]{6}\\]";
    if (std::regex_match(line, std::regex(pattern)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << line << "\" is not an engine line like " << pattern;
}

}  // namespace addin_test
