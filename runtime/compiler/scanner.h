// The scanner: bytes of the current source file to tokens, queued in the
// file's token buffer for the parser.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/compiler/tokens.h"

namespace kv {

// Collects the next token of the current source file; returns its kind (-1 for
// a bad token) or 0 when the file has no further token, in which case the file
// has been closed and the one below it, if any, is current again.
int32_t scanToken();
// The text scanToken collected.
const std::string& scannedText();

// Tops up the current token buffer: up to 20 more tokens when it holds 5 or
// fewer and its file still has tokens.
void fillTokenBuffer();

// True when the current token buffer holds a token; finished include levels are
// dropped on the way, so the including file's queued tokens follow.
bool hasToken();
// Removes and returns the oldest token of the current buffer, applying the
// statement-start rule (a `function` that starts a statement is code 275).
Token takeFrontToken();

// Builds a token, converting its literal. CompileError 25, 32 or 24 when the
// literal, key name or text cannot be taken; the caller sets the position.
Token makeToken(int32_t code, const std::string& text, int32_t line);

void resetScanner();

}  // namespace kv
