#pragma once
// Files embedded into an executable at build time (layouts, pictures), found
// by file name. Each executable lists its own in CMake:
//   tamblin_embed_resources(tamblin FILES layouts/frmMain.lay pictures/logo.jpg)
// and the generated source hands its table to this library when the program
// starts; the name is the file's name without its folder ("frmMain.lay").
// A program that embeds nothing simply finds nothing.
#include <string_view>

using TEmbeddedResourceLookup = const std::string_view* (*)(std::string_view name);

// Called once, by the generated source, before main runs.
void SetEmbeddedResourceLookup(TEmbeddedResourceLookup Lookup);

// The bytes of the embedded file, or nullptr when there is none of that name.
const std::string_view* FindEmbeddedResource(std::string_view name);
