// The code page of the HELP text.
#pragma once

// Shift-JIS (code page 932) as the program has always printed it, or UTF-8
// for a console whose locale writes UTF-8, where Shift-JIS shows as garbage.
// Unset prints Shift-JIS; start-up chooses from the user's locale.
enum class HelpEncoding { Unset, ShiftJis, Utf8 };

void setHelpEncoding(HelpEncoding encoding);
HelpEncoding helpEncoding();
void showHelp();
