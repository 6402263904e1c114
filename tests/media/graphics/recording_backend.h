// Test support: a recording stand-in for both Direct3D back ends, linked into the
// graphics tests in place of the absent back ends. It records every call with its
// arguments, answers what a test sets, and "starts" a device on request.
#pragma once
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace ZaDod {
struct GraphQuadList;
// Quad lists print as their pointer, or with their contents (setRecordQuadContents).
std::ostream& operator<<(std::ostream& out, const GraphQuadList* list);
}  // namespace ZaDod

namespace halvorine_test {

struct BackendCall {
    std::string name;  // e.g. "Graphics_D3D9_DrawPixel"
    std::string args;  // the arguments, formatted by formatArgs
};

template <typename... A>
std::string formatArgs(const std::tuple<A...>& args) {
    std::ostringstream out;
    out.precision(9);
    std::apply([&](const auto&... value) { ((out << value << ','), ...); }, args);
    return out.str();
}

std::vector<BackendCall>& backendCalls();
// Clears the calls and every set result; both Initialize calls fail again.
void resetRecordingBackend();
// What the named entry returns from now on (default 0).
void setBackendResult(const std::string& name, int result);
// Makes Graphics_D3D9_Initialize / Graphics_D3D11_Initialize succeed (0) or fail (-1).
// A successful start sets the hardware flag and fills the device caps.
void setBackendStart(int d3d9Result, int d3d11Result);
// Makes the started device valid (1) or lost (0), as a device between its loss and its
// restore.
void setDeviceValid(int valid);
// Quad lists are recorded with their contents (the lists must be real) while on.
void setRecordQuadContents(bool on);
// Names of the recorded calls, in order.
std::vector<std::string> backendCallNames();

}  // namespace halvorine_test
