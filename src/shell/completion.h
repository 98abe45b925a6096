// What Tab does at the prompt: the word before the cursor is completed to a
// command name (first word) or a symbol of the map (later words); where there
// is nothing to complete, the Tab stays in the line as a word separator.
#pragma once

#include <string>
#include <vector>

// The word is line[start, end). The first entry is what the word becomes: a
// unique command with a blank after it, a unique symbol, or the word with a
// Tab after it when nothing completes it (a symbol already whole included).
// With several candidates it is their common start, and the candidates
// follow for the editor to list.
std::vector<std::string> completeWord(const char* line, int start, int end);

// Where a word to complete begins: after one of these.
extern const char kCompletionWordBreaks[];
