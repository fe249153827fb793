#pragma once
// A folder of its own in the work folder for one output file, so that the file attached can
// bear the attachment's name: Outlook shows a plain-text or HTML mail's attachment under the
// file name of its source, whatever display name it is given.
#include <string>

class COutputFolder {
public:
    // Creates work folder + a fresh random name; throws COleException when it cannot.
    explicit COutputFolder(const std::wstring& workFolder);
    // Removes the folder when it is empty, as the run leaves it once its output is deleted.
    ~COutputFolder();
    COutputFolder(const COutputFolder&) = delete;
    COutputFolder& operator=(const COutputFolder&) = delete;

    const std::wstring& Path() const { return m_path; }  // ends in a backslash

private:
    std::wstring m_path;
};
