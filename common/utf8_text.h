#pragma once
// UTF-8 held as bytes (statistics names, JSON): cutting without splitting a character, and
// making arbitrary bytes well-formed.
#include <cstddef>
#include <string>

// The longest prefix of text of at most limit bytes that ends between characters: a
// character that would not fit whole is left out. Bytes that are not UTF-8 count as
// characters of one byte each.
std::size_t Utf8PrefixLength(const std::string& text, std::size_t limit);

// text with every ill-formed sequence replaced by U+FFFD, one for each maximal part of a
// sequence that could have begun a character (as Unicode recommends); well-formed text
// comes back unchanged.
std::string ToWellFormedUtf8(const std::string& text);
