// What the tool asks of the terminal it runs in.
#pragma once

namespace torvik::cli {

// True when standard input and standard error are both a terminal (someone can answer a question).
bool isInteractive();

// True when standard error is a terminal (a progress display can be redrawn in place).
bool stderrIsTerminal();

// The width of the terminal on standard error in columns; 80 when it is none or does not tell.
int terminalWidth();

}  // namespace torvik::cli
