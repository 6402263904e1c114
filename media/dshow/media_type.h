// Media-type helpers of the DirectShow class library. Types handed across interfaces
// live in COM task memory, reached through the run-time function table.
#pragma once
#include <cstddef>

#include "media/dshow/aliases.h"

namespace ZaDod {

// COM task memory through the run-time table; null (or nothing) while ole32 is not loaded.
void* D_TaskMemAlloc(size_t size);
void D_TaskMemFree(void* memory);

// Deep copy: the format block is duplicated in task memory and the unknown gets a
// reference. E_OUTOFMEMORY leaves the target with no format block.
HRESULT D_CopyMediaType(D_AM_MEDIA_TYPE* target, const D_AM_MEDIA_TYPE* source);
// Frees a type's format block and releases its unknown; the record itself stays.
void D_FreeMediaType(D_AM_MEDIA_TYPE& type);
// A task-memory copy of a type (null on failure), and its deletion.
D_AM_MEDIA_TYPE* D_CreateMediaType(const D_AM_MEDIA_TYPE* source);
void D_DeleteMediaType(D_AM_MEDIA_TYPE* type);

// A type is partial when it names no major type or no format type.
bool D_IsPartiallySpecified(const D_AM_MEDIA_TYPE* type);
// Whether `type` agrees with `partial` in every part the partial one names.
bool D_MatchesPartial(const D_AM_MEDIA_TYPE* type, const D_AM_MEDIA_TYPE* partial);
// Whether two types are the same in every part, format block included.
bool D_SameMediaType(const D_AM_MEDIA_TYPE& a, const D_AM_MEDIA_TYPE& b);

// Copies a wide name into a fixed field of `capacity` units, cutting it to fit and
// always terminating; null gives the empty name.
void D_CopyName(WCHAR* target, size_t capacity, const WCHAR* name);
// A heap copy of a wide name (null for null), freed with delete[].
WCHAR* D_DuplicateName(const WCHAR* name);

}  // namespace ZaDod
