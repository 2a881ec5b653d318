// Small in-place operations on Shift-JIS byte strings, used by the DIN text conversion.
#pragma once

#include <string>
#include <string_view>

namespace dxfdin {

// Replacements made by one ReplaceText call at most; a count of -1 means this many.
inline constexpr int kMaxReplacements = 9999;

// Puts `text` in front of the byte at `position` (the end of `s` if beyond it).
void InsertText(std::string& s, std::size_t position, std::string_view text);

// Removes the first occurrence of `pattern`, or every one: after each removal the search
// starts again from the beginning, so occurrences formed by a removal go too.
// An empty pattern removes nothing.
void RemoveText(std::string& s, std::string_view pattern, bool all);

// The n-th marked run of `s` (n >= 1) with both markers: everything up to and including the
// first byte of each of the first n - 1 close markers is dropped, then the copy runs from the
// first open marker left through the end of the first close marker after it (through the end
// of `s` when none follows). Empty when there is no such open marker.
std::string ExtractRun(std::string_view s, std::string_view open, std::string_view close, int n);

// Replaces up to `count` occurrences of `pattern` from left to right (-1: up to
// kMaxReplacements). A match never starts on the trail byte of a double-byte character; the
// scan goes on after the inserted text. Returns the number of replacements. An empty pattern
// matches nowhere.
int ReplaceText(std::string& s, std::string_view pattern, std::string_view replacement, int count);

// Modes: 0 removes all white space; 1 collapses each run of white space outside double
// quotes to its first byte; 2 removes leading, 3 trailing, 4 trailing then leading white
// space; 5 removes one trailing line feed. Any other mode leaves `s` unchanged.
void TrimText(std::string& s, int mode);

// Every half-width katakana byte becomes "x".
void MaskHalfWidthKana(std::string& s);

// Keeps the first `keep` bytes of `s` at most, never half of a double-byte character.
void CutAtCharacter(std::string& s, std::size_t keep);

// A name as CAD programs compare names of layers, line types and blocks: ASCII letters in
// upper case. The trail bytes of double-byte characters stay as they are ("チ" is not "ア").
std::string NameKey(std::string_view name);
// Whether two names have one key.
bool SameName(std::string_view a, std::string_view b);

}  // namespace dxfdin
