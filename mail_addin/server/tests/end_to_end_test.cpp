// The add-in's work as a user sees it: Outlook starts the add-in, the user writes a new
// mail and attaches a picture, and the attachment becomes the engine's version of it.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "addin_fixture.h"
#include "mail_addin/outlook_access.h"
#include "tests/engine/test_engine.h"

namespace mail_server {
namespace {

using outlook_double::Attachment;
using outlook_double::ComPtr;
using outlook_double::MailItem;

class EndToEndTest : public AddinTest {};

TEST_F(EndToEndTest, APictureAttachedToANewMailIsReplacedByTheEnginesVersionUnderTheDefaultProfile)
{
    StoreSetting(L"checkForUpdate", 0);
    StoreSetting(L"productImprovement", 0);
    StartAddin();

    test_engine::ScopedTempFolder pictures;
    const std::wstring source = pictures.Path() + L"\\holiday.jpg";
    const std::vector<BYTE> bytes(4096, 0x5A);
    FILE* file = _wfopen(source.c_str(), L"wb");
    ASSERT_NE(nullptr, file);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);

    ComPtr<MailItem> mail = outlook.ComposeNewMail();
    ASSERT_EQ(S_OK, mail->AttachmentList().AddAsUser(source, L"holiday.jpg"));

    ASSERT_EQ(1u, mail->AttachmentList().Count());
    ComPtr<Attachment> attached = mail->AttachmentList().At(0);
    EXPECT_EQ(bytes, attached->Bytes()) << "the development engine's output is a copy";
    const outlook_double::Variant* kept = attached->Property(PLENZAR_ORIG_SCHEMA_NAME);
    ASSERT_NE(nullptr, kept) << "the replacement is tagged with its kept first version";
    EXPECT_FALSE(kept->AsText().empty());

    std::vector<test_engine::Call> optimized;
    for (const test_engine::Call& call : test_engine::ReadCalls(server.Folder()))
        if (call.entry == L"Optimize") optimized.push_back(call);
    ASSERT_EQ(1u, optimized.size());
    EXPECT_EQ(2, optimized[0].profile) << "the default profile, medium";
    EXPECT_NE(std::wstring::npos, optimized[0].path.find(kept->AsText()));

    EXPECT_EQ(S_OK, host.BeginShutdown());
    EXPECT_EQ(S_OK, host.FireQuit());
    EXPECT_EQ(0u, outlook.App().SinkCount()) << "the application sink leaves on Quit";
    host.ReleaseAddin();
}

}  // namespace
}  // namespace mail_server
