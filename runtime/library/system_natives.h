// The natives of the System and Number objects.
#pragma once

namespace kv {

class KVContext;

void setZdArchiveNative(KVContext* ctx);
void setDefaultLayerVisiblityNative(KVContext* ctx);
void getDefaultRandomGeneratorNative(KVContext* ctx);
void setDefaultRandomGeneratorNative(KVContext* ctx);
void getNowCountNative(KVContext* ctx);
void numberToHexNative(KVContext* ctx);
void numberIsNaNNative(KVContext* ctx);

}  // namespace kv
