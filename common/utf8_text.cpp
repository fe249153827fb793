#include "common/utf8_text.h"

namespace {

bool IsContinuationByte(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the character that lead begins, or 0 when no character begins with it.
std::size_t SequenceLength(unsigned char lead)
{
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD";

}  // namespace

std::size_t Utf8PrefixLength(const std::string& text, std::size_t limit)
{
    if (text.size() <= limit) return text.size();
    // Back to the lead byte of the character that the cut would split, if there is one.
    std::size_t start = limit;
    for (int steps = 0; steps < 3 && start > 0 && IsContinuationByte(text[start]); ++steps) --start;
    if (start == limit || IsContinuationByte(text[start])) return limit;
    return start + SequenceLength(static_cast<unsigned char>(text[start])) > limit ? start : limit;
}

std::string ToWellFormedUtf8(const std::string& text)
{
    std::string wellFormed;
    wellFormed.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = SequenceLength(lead);
        // The second byte's range excludes overlong forms, surrogates and code points
        // beyond U+10FFFF; later bytes are plain continuation bytes.
        unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        std::size_t taken = 1;
        while (taken < length && at + taken < text.size()) {
            const unsigned char next = static_cast<unsigned char>(text[at + taken]);
            if (next < low || next > high) break;
            low = 0x80;
            high = 0xBF;
            ++taken;
        }
        if (taken == length)
            wellFormed.append(text, at, length);
        else
            wellFormed += kReplacementCharacter;
        at += taken;
    }
    return wellFormed;
}
