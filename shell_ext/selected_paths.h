#pragma once
// CSelectedPaths: the paths of a selection, in order, in one buffer. One allocation serves
// the whole list rather than one per path, which for a selection of many thousand files
// would cost more than the engine's judgement of them.
#include <cstddef>
#include <vector>

class CSelectedPaths {
public:
    size_t Count() const { return m_starts.size(); }
    bool Empty() const { return m_starts.empty(); }
    // The path at that index, terminated, valid until the list next changes.
    const wchar_t* operator[](size_t index) const { return m_text.data() + m_starts[index]; }

    // Room for paths of that many units in all, terminators included.
    void ReserveUnits(size_t units) { m_text.reserve(units); }
    void Append(const wchar_t* path, size_t length);
    // Leaves out the paths for which keep answers false; the others keep their order.
    template <typename Predicate>
    void KeepOnly(Predicate keep)
    {
        size_t kept = 0;
        for (size_t start : m_starts)
            if (keep(m_text.data() + start)) m_starts[kept++] = start;
        m_starts.resize(kept);
    }
    void Clear();

private:
    std::vector<wchar_t> m_text;  // every path with its terminator
    std::vector<size_t> m_starts;  // where each path of the list begins in m_text
};
