// Tab completion at the prompt, independent of the line editor.
#include "shell/completion.h"

#include <cctype>
#include <cstring>

#include "commands/command_line.h"
#include "expr/symbols.h"

// Separators of the command line and the operators of expressions, so that
// a symbol after "+" or "(" is a word of its own.
const char kCompletionWordBreaks[] = " \t\n,+-*/()@";

namespace {

bool isSeparator(char c)
{
    return c == ' ' || c == ',' || c == '\t' || c == '\n';
}

// Command names are typed in any case; the table holds them in upper case.
bool startsWithIgnoringCase(const char* name, const std::string& word)
{
    for (size_t i = 0; i < word.size(); ++i)
        if (name[i] == '\0' || std::toupper(static_cast<unsigned char>(word[i])) != name[i])
            return false;
    return true;
}

void addCommandNames(const std::string& word, std::vector<std::string>* found)
{
    for (const CommandRow* row = commandTable; row->name != nullptr; ++row)
        if (startsWithIgnoringCase(row->name, word))
            found->push_back(row->name);
}

// Symbols are case-sensitive, as in expressions; the first of equal names counts.
void addSymbolNames(const std::string& word, std::vector<std::string>* found)
{
    for (int i = 0; i < symbolCount; ++i) {
        const char* name = symbolTable[i].name;
        if (std::strncmp(name, word.c_str(), word.size()) != 0)
            continue;
        bool seen = false;
        for (const std::string& earlier : *found)
            seen = seen || earlier == name;
        if (!seen)
            found->push_back(name);
    }
}

std::string commonStart(const std::vector<std::string>& names)
{
    std::string common = names[0];
    for (const std::string& name : names) {
        size_t n = 0;
        while (n < common.size() && n < name.size() && common[n] == name[n])
            ++n;
        common.resize(n);
    }
    return common;
}

} // namespace

std::vector<std::string> completeWord(const char* line, int start, int end)
{
    const std::string word(line + start, line + end);
    std::vector<std::string> found;
    bool firstWord = true;
    for (int i = 0; i < start; ++i)
        firstWord = firstWord && isSeparator(line[i]);
    // A register after "@" and an empty word have nothing to complete.
    const bool afterAt = start > 0 && line[start - 1] == '@';
    if (!word.empty() && !afterAt) {
        if (firstWord)
            addCommandNames(word, &found);
        else
            addSymbolNames(word, &found);
    }
    // A whole command is followed by a blank. A symbol is not: the expression
    // may go on ("+4", ")"); a second Tab, finding it whole, adds the separator.
    if (found.size() == 1 && firstWord)
        return {found[0] + " "};
    if (found.size() == 1 && found[0] != word)
        return found;
    if (found.size() <= 1)
        return {word + "\t"};
    std::vector<std::string> result {commonStart(found)};
    result.insert(result.end(), found.begin(), found.end());
    return result;
}
