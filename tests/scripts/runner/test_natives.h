// Natives the script cases need before the script library provides them.
#pragma once

namespace kv::test {

// TEMPORARY SEAM (console.log): when no native is registered at console.log's
// global index, binds one that writes its argument's text as a log line.
void bindTestNatives();

}  // namespace kv::test
