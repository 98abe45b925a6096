// The encoding of the help text.
#pragma once

enum class HelpEncoding { Unset, ShiftJis, Utf8 };

// Unset chooses from the locale at the next showHelp.
void setHelpEncoding(HelpEncoding encoding);
HelpEncoding helpEncoding();
