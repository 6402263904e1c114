// The global functions of the library's own: threads' pacing, colours,
// settings, input and file bytes, and the RandomGenerator constructor.
#pragma once

namespace kv {

class KVContext;

void listenNative(KVContext* ctx);
void getColorNative(KVContext* ctx);
void setMouseModeNative(KVContext* ctx);
void setBackgroundColorNative(KVContext* ctx);
void setGraphModeNative(KVContext* ctx);
void setWindowTextNative(KVContext* ctx);
void checkHitKeyNative(KVContext* ctx);
void loadFileNative(KVContext* ctx);
void randomGeneratorConstructor(KVContext* ctx);

}  // namespace kv
