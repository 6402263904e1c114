// One arena for every identifier and string text of every compilation in a run.
// Compiled records point at these texts, so nothing is ever freed.
#pragma once

#include <cstddef>

namespace kv {

inline constexpr size_t kSymbolTextPoolSize = 0x40000;

// Made once per run by the start-up; the first intern makes it when the
// start-up has not.
void createSymbolTextPool();

// Copies n bytes (the text and its terminating zero) into the pool and returns
// the copy. CompileError 24 when the pool cannot take them; nothing is copied
// then.
const char* internSymbolText(const char* text, size_t n);

size_t symbolTextPoolUsed();

// Empties the pool. Only tests and the fuzz target call this: a real run keeps
// its texts for as long as compiled code may refer to them.
void resetSymbolTextPoolForTests();

}  // namespace kv
