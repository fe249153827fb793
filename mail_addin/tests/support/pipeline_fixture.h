#pragma once
// A mail being written in the Outlook double, with the add-in listening to it as after
// ItemLoad, the development engine copying its source, and helpers to read what the
// pipeline left: attachments, tags, files and log lines.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mail_addin/tests/support/addin_test_environment.h"

namespace addin_test {

using outlook_double::Attachment;
using outlook_double::ComPtr;
using outlook_double::Failure;
using outlook_double::FailWhen;
using outlook_double::MailItem;
namespace dispid = outlook_double::dispid;

// A picture as the tests attach it: 900 bytes.
inline const std::vector<BYTE> kPicture = PictureBytes(900);

class PipelineFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The version Outlook reports; below 16 the display name names the output file.
    virtual std::wstring OutlookVersion() const { return L"16.0.0.4266"; }

    // A new mail whose "PlenzarType" holds profile, its item events connected.
    outlook_double::ComPtr<outlook_double::MailItem> NewMail(int profile);
    static void SetProfile(outlook_double::MailItem* item, int profile);
    // Attaches a file as the user does (BeforeAttachmentAdd); the attachment Outlook made.
    outlook_double::ComPtr<outlook_double::Attachment> AttachAsUser(outlook_double::MailItem* item,
                                                                    const std::wstring& name,
                                                                    const std::vector<BYTE>& bytes);
    static outlook_double::ComPtr<outlook_double::Attachment> Only(outlook_double::MailItem* item);

    std::vector<BYTE> KeptBytes(const std::wstring& keptName) const;
    bool InWorkFolder(const std::wstring& name) const;

    outlook_double::OutlookDouble outlook_;
    std::unique_ptr<AddinTestEnvironment> env_;
};

// The engine line's pattern: its time varies.
::testing::AssertionResult IsEngineLine(const std::string& line, int profile, const std::string& extension,
                                        int size);

}  // namespace addin_test
