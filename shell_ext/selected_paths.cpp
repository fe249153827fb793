#include "shell_ext/selected_paths.h"

void CSelectedPaths::Append(const wchar_t* path, size_t length)
{
    m_starts.push_back(m_text.size());
    m_text.insert(m_text.end(), path, path + length);
    m_text.push_back(L'\0');
}

void CSelectedPaths::Clear()
{
    m_text.clear();
    m_starts.clear();
}
