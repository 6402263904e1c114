// Probes the input as the file source does, then renders it as a file into a graph whose
// only registered filter is the null renderer and runs that graph briefly: every input
// must end connected or refused, with nothing left running.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/input_file.h"
#include "platform/dshow/filter_graph.h"
#include "platform/dshow/filter_registry.h"
#include "platform/dshow/system_filters.h"

namespace ds = plat::dshow;

namespace {

// One scratch file per process, removed at exit.
const std::string& scratch() {
  static const std::string& path = fuzzinput::scratchPath("halvorine_fuzz_source_");
  return path;
}

bool onlyNullRenderer() {
  for (const ds::RegisteredFilter& entry : ds::RegisteredFilters()) ds::UnregisterFilter(entry.clsid);
  ds::RegisterFilter(ds::CLSID_NullRenderer, u"Null Renderer", ds::MERIT_NORMAL, &ds::CreateNullRenderer);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = onlyNullRenderer();
  (void)ready;
  const ds::GUID subtype = ds::ProbeStreamSubtype(data, size);
  if (!(subtype == ds::MEDIASUBTYPE_MPEG1Audio) && !(subtype == ds::MEDIASUBTYPE_GenericStream)) std::abort();

  fuzzinput::writeInputFile(scratch(), data, size);

  ds::IGraphBuilder* graph = nullptr;
  ds::CreateFilterGraph(&graph);
  const std::u16string path = fuzzinput::windowsPath(scratch());
  const plat::win::HRESULT rendered = graph->RenderFile(path.c_str(), nullptr);
  void* face = nullptr;
  graph->QueryInterface(ds::IID_IMediaControl, &face);
  auto* control = static_cast<ds::IMediaControl*>(face);
  graph->QueryInterface(ds::IID_IMediaEvent, &face);
  auto* events = static_cast<ds::IMediaEvent*>(face);
  if (rendered >= 0) {
    control->Run();
    ds::LONG code = 0;
    // A pull source with nothing pulling never completes; the wait must still end.
    if (events->WaitForCompletion(0, &code) != plat::win::E_ABORT) std::abort();
    control->Stop();
  }
  events->Release();
  control->Release();
  if (graph->Release() != 0) std::abort();
  return 0;
}
