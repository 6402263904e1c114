// Resolving a face request to an installed face file with fontconfig.
#pragma once
#include <string>

#include "platform/font/face_state.h"

namespace plat::font {

struct ResolvedFace {
    std::string file;
    int index = 0;
    int weight = 400;     // OpenType weight class of the face found
    bool upright = true;  // the face found has no slant of its own
};

// Substitutes and matches the request; false only when no face is installed. Call with
// faceLock() held.
bool resolveFace(const FaceRequest& request, ResolvedFace* out);

}  // namespace plat::font
