// libtiff, opened when the first TIFF image is decoded rather than linked
// (it pulls in seven compression libraries). The TIFF loader includes this
// header in place of <tiffio.h>.
#pragma once

#include <tiffio.h>

#include "platform/dynload/lazy_library.h"

namespace plat::tiff {

#define HALVORINE_TIFF_FUNCTIONS(X) \
  X(TIFFClientOpenExt) X(TIFFClose) X(TIFFGetField) X(TIFFGetFieldDefaulted) \
  X(TIFFOpenOptionsAlloc) X(TIFFOpenOptionsFree) X(TIFFOpenOptionsSetErrorHandlerExtR) \
  X(TIFFOpenOptionsSetMaxSingleMemAlloc) X(TIFFOpenOptionsSetWarningHandlerExtR) \
  X(TIFFReadRGBAStripExt) X(TIFFSetField)

struct Api {
  HALVORINE_TIFF_FUNCTIONS(HALVORINE_LAZY_POINTER)
};

// Filled on first use (lazy_library.h).
extern constinit LazyTable<Api> gApi;
inline const Api& api() { return gApi.get(); }

}  // namespace plat::tiff

#ifndef HALVORINE_TIFF_LOADER
#define TIFFClientOpenExt (::plat::tiff::api().TIFFClientOpenExt)
#define TIFFClose (::plat::tiff::api().TIFFClose)
#define TIFFGetField (::plat::tiff::api().TIFFGetField)
#define TIFFGetFieldDefaulted (::plat::tiff::api().TIFFGetFieldDefaulted)
#define TIFFOpenOptionsAlloc (::plat::tiff::api().TIFFOpenOptionsAlloc)
#define TIFFOpenOptionsFree (::plat::tiff::api().TIFFOpenOptionsFree)
#define TIFFOpenOptionsSetErrorHandlerExtR (::plat::tiff::api().TIFFOpenOptionsSetErrorHandlerExtR)
#define TIFFOpenOptionsSetMaxSingleMemAlloc (::plat::tiff::api().TIFFOpenOptionsSetMaxSingleMemAlloc)
#define TIFFOpenOptionsSetWarningHandlerExtR (::plat::tiff::api().TIFFOpenOptionsSetWarningHandlerExtR)
#define TIFFReadRGBAStripExt (::plat::tiff::api().TIFFReadRGBAStripExt)
#define TIFFSetField (::plat::tiff::api().TIFFSetField)
#endif
