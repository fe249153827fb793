#pragma once
// Answers message boxes as a user would: from a thread of its own it waits for each box
// (dialog class "#32770") with the given caption, reads what it shows, and clicks the
// given button. Every box with that caption that appears while the object lives is
// answered, so code under test that shows one never hangs the test.
#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

struct SeenMessageBox {
    std::wstring caption;
    std::wstring text;
    HWND owner = nullptr;
    std::vector<int> buttons;  // visible buttons among IDOK..IDCONTINUE, in id order
    bool hasIcon = false;
};

class MessageBoxAnswerer {
public:
    // answer: IDYES, IDNO, IDOK, IDCANCEL, ...
    MessageBoxAnswerer(std::wstring caption, int answer);
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    // False when fewer than count boxes were found within timeoutMs.
    bool WaitForBoxes(size_t count, DWORD timeoutMs);
    // The boxes found so far, in order; each is recorded just before it is answered.
    std::vector<SeenMessageBox> Boxes() const;

private:
    void Watch();
    SeenMessageBox Read(HWND box) const;

    const std::wstring m_caption;
    const int m_answer;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<SeenMessageBox> m_boxes;
    bool m_stopping = false;
    std::thread m_thread;
};

}  // namespace testsupport
