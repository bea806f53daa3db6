// Text operations of the spoken line editor, on the field's text padded with blanks to
// its maximum length. Positions count from 1; the cursor may stand one past the end.
// Nothing here speaks or draws, so the rules can be checked on their own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mg::edit {

// Letters for word moves: A-Z, a-z and every code 128-255.
bool IsWordLetter(uint8_t c);
bool IsDigit(uint8_t c);

// Position of the last non-blank character, 0 when the text is blank.
int LastNonBlank(std::string_view text);

// Result of a word move: the new cursor and whether it ran into an end (beep) or not
// (click).
struct WordMove {
  int cursor;
  bool beep;
};
WordMove PreviousWord(std::string_view text, int cursor);
WordMove NextWord(std::string_view text, int cursor);

// F1: the next word from the cursor and how it is to be said.
enum class Say { Nothing, Speak, Spell };
struct NextRead {
  Say say;
  std::string word;
  int cursor;  // after the word
};
NextRead ReadNextWord(std::string_view text, int cursor);

// F12: the blank-delimited word around the cursor with the opening punctuation stripped
// from both ends; empty when nothing remains.
std::string WordForLink(std::string_view text, int cursor);

// Inserts at p and drops the last character, so the length stays the same.
void InsertAt(std::string& text, int p, uint8_t c);
// Removes the character at p and appends a blank; returns the removed character.
uint8_t RemoveAt(std::string& text, int p);

// Clipboard text as it may enter a field: at most maxLength characters of its first line,
// control characters (tabs and the like, which the screen cannot show) as blanks.
std::string CleanPaste(std::string_view clipboard, size_t maxLength);

// Puts `pasted` in place of positions [from, to) and keeps the length of `text`.
void ReplaceRange(std::string& text, int from, int to, std::string_view pasted);

}  // namespace mg::edit
