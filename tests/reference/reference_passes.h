// The simple algorithms of the passes: full scans of the model for every
// quad and every subfile read again for every reference. The tool's indexed
// and cached passes must give exactly their bytes; tests and benchmarks run
// both and compare.
#pragma once

#include <ostream>

#include "driver/driver.h"
#include "elements/quad.h"
#include "model/document.h"
#include "model/file_access.h"
#include "model/model.h"
#include "model/search_path_list.h"

namespace quillery::reference {

void expandPrimitives(Document& document, const SearchPathList& searchPaths,
                      int keyColor, FileAccess& files, std::ostream& console);
void expandPrimitives(Model& model, const SearchPathList& searchPaths,
                      int keyColor, FileAccess& files, std::ostream& console);
void splitQuads(Model& model, int keyColor, bool manageCondLines);
void removeCondLinesOn(Model& model, const Quad& quad);
void addCondLinesAlong(Model& model, Element& triangle);

// The run sequence with these passes in place of the tool's own.
Passes passes();

}  // namespace quillery::reference
