// Names are bytes, but the line editor works in wide characters of the
// locale, which drop whatever is not a character there (a Latin-1 name's
// bytes in a UTF-8 terminal, say). Such bytes travel through the editor as
// private-use characters U+10FE80 to U+10FEFF and come back as themselves.
#pragma once

#include <cstddef>
#include <string>

// Makes the locale's characters UTF-8, where they are not already, and
// notes whether the terminal's own (the environment's locale) are.
void UseUtf8Characters();
// The length of the UTF-8 character at the start of text (given up to size
// bytes), or 0 when it is none.
size_t Utf8Length(const unsigned char* text, size_t size);
// The code point of a whole UTF-8 character of the given length.
unsigned Utf8CodePoint(const unsigned char* text, size_t length);
// The stand-in character of a byte that is no UTF-8 character.
constexpr unsigned kStandInBase = 0x10FE00;
// Bytes into text for the editor: UTF-8 characters stay, other bytes get stand-ins.
std::string WithStandIns(const std::string& bytes);
// The editor's text back into the bytes it stands for.
std::string WithoutStandIns(const std::string& text);
// How a name or a text with names in it is shown on the terminal: printable
// characters of the terminal's character set as they are; control
// characters (escape sequences among them), bytes that are no UTF-8 and, on
// a terminal of another character set, every byte beyond ASCII as \xNN; a
// backslash as \\. Line breaks stay where the text is to have lines.
std::string Shown(const std::string& bytes, bool keepLineBreaks = false);
