#pragma once
// Files embedded into an executable at build time (layouts, pictures), found
// by file name. Each executable lists its own in CMake:
//   tamblin_embed_resources(tamblin FILES layouts/frmMain.lay pictures/logo.jpg)
// and the generated source defines this function; the name is the file's
// name without its folder ("frmMain.lay").
#include <string_view>

// The bytes of the embedded file, or nullptr when there is none of that name.
const std::string_view* FindEmbeddedResource(std::string_view name);
