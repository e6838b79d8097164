// What the tool asks of the terminal it runs in, and how it writes its messages there.
#pragma once

#include <string_view>

namespace torvik::cli {

// True when standard input and standard error are both a terminal (someone can answer a question).
bool isInteractive();

// True when standard error is a terminal whose line the progress display can redraw in place
// (carriage return and ESC [K).
bool stderrIsTerminal();

// The width of the terminal on standard error in columns; 80 when it is none or does not tell.
int terminalWidth();

// Writes a message (UTF-8, line ends included) to standard error: on a Windows console through its
// wide output, so that any character shows whatever the console's code page; elsewhere the bytes.
void printMessage(std::string_view text);

}  // namespace torvik::cli
