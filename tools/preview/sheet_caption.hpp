#pragma once
// The lines above the sheet's rows: which skin it shows, each face's file
// with the time it was saved, and the module that drew it, so a sheet says
// what it shows long after it was drawn.
#include "dictionary_pair.hpp"

#include <string>
#include <vector>

namespace preview {

std::vector<std::string> sheet_caption(const skin_dictionaries& skin,
                                       const std::string& module_version);

} // namespace preview
