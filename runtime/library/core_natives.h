// Natives that act directly on the VM: threads, collection requests, the
// runtime-warning limits, console output and the core constructors.
#pragma once

namespace kv {

class KVContext;

void spawnNative(KVContext* ctx);
void dz000Native(KVContext* ctx);
void dz001Native(KVContext* ctx);
void setRuntimeWarningLimitNative(KVContext* ctx);
void setRuntimeWarningFuseNative(KVContext* ctx);
void consoleLogNative(KVContext* ctx);

void objectConstructor(KVContext* ctx);
void stringConstructor(KVContext* ctx);
void arrayConstructor(KVContext* ctx);
void arrayBufferConstructor(KVContext* ctx);
void tupleConstructor(KVContext* ctx);
void int32ArrayConstructor(KVContext* ctx);
void int16ArrayConstructor(KVContext* ctx);
void int8ArrayConstructor(KVContext* ctx);
void uint32ArrayConstructor(KVContext* ctx);
void uint16ArrayConstructor(KVContext* ctx);
void uint8ArrayConstructor(KVContext* ctx);
void uint8ClampedArrayConstructor(KVContext* ctx);
void float32ArrayConstructor(KVContext* ctx);
void float64ArrayConstructor(KVContext* ctx);

}  // namespace kv
