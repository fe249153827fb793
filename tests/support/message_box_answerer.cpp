#include "tests/support/message_box_answerer.h"

#include <chrono>

namespace testsupport {

namespace {

constexpr int kTextControlId = 0xFFFF;  // the static control holding a message box's text
constexpr int kIconControlId = 0x0440;
constexpr DWORD kPollMs = 20;

std::wstring WindowText(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    if (length <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], length + 1)));
    return text;
}

bool IsVisibleChild(HWND box, int id)
{
    const HWND child = GetDlgItem(box, id);
    return child && IsWindowVisible(child);
}

}  // namespace

MessageBoxAnswerer::MessageBoxAnswerer(std::wstring caption, int answer)
    : m_caption(std::move(caption)), m_answer(answer), m_thread([this] { Watch(); })
{
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

bool MessageBoxAnswerer::WaitForBoxes(size_t count, DWORD timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_boxes.size() >= count; });
}

std::vector<SeenMessageBox> MessageBoxAnswerer::Boxes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_boxes;
}

SeenMessageBox MessageBoxAnswerer::Read(HWND box) const
{
    SeenMessageBox seen;
    seen.caption = WindowText(box);
    seen.text = WindowText(GetDlgItem(box, kTextControlId));
    seen.owner = GetWindow(box, GW_OWNER);
    for (int id = IDOK; id <= IDCONTINUE; ++id) {
        if (IsVisibleChild(box, id))
            seen.buttons.push_back(id);
    }
    seen.hasIcon = IsVisibleChild(box, kIconControlId)
                   && SendDlgItemMessageW(box, kIconControlId, STM_GETICON, 0, 0) != 0;
    return seen;
}

void MessageBoxAnswerer::Watch()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        lock.unlock();
        const HWND box = FindWindowW(L"#32770", m_caption.c_str());
        if (box && IsWindowVisible(box)) {
            // Recorded before the click, so whoever the box returns to finds it recorded.
            SeenMessageBox seen = Read(box);
            lock.lock();
            m_boxes.push_back(std::move(seen));
            m_changed.notify_all();
            lock.unlock();
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(m_answer, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, m_answer)));
            // Wait for the box to go, so it is not answered twice.
            for (int i = 0; i < 250 && IsWindow(box); ++i)
                Sleep(kPollMs);
            lock.lock();
            continue;
        }
        lock.lock();
        m_changed.wait_for(lock, std::chrono::milliseconds(kPollMs), [&] { return m_stopping; });
    }
}

}  // namespace testsupport
