// Primitive expansion: replaces selected subfile references by the placed
// lines of the files they name, to any depth.
#pragma once

#include <ostream>
#include <string_view>

#include "model/document.h"
#include "model/file_access.h"
#include "model/model.h"
#include "model/search_path_list.h"

namespace quillery {

// Rect mode selects the references whose file name starts with "rect" but
// not with "recte" (case-sensitive, start of the name only).
bool isRectName(std::string_view fileName);

// Expands every selected reference: those of colour `keyColor` when it is 0
// or more, the Rect primitives otherwise. The lines of the file are appended
// at the end of the list, placed by the reference's matrix and position,
// with colour 16 taken from the reference and surfaces reversed where the
// placement mirrors or an INVERTNEXT asks for it; the reference and its
// INVERTNEXT become placeholders. A reference whose file is not found, or is
// one of the files it was itself inlined from, stays as it is. Prints a note
// for each name not found (once) and each circular reference, then the
// inlined statistics, on `console`.
//
// Each section of `document` is expanded as a file of its own, and a
// reference to a section's name opens that section before any search
// directory; the statistics are totals over all sections.
void expandPrimitives(Document& document, const SearchPathList& searchPaths,
                      int keyColor, FileAccess& files, std::ostream& console);
// The same for one list read from a file that is not a multi-part document.
void expandPrimitives(Model& model, const SearchPathList& searchPaths,
                      int keyColor, FileAccess& files, std::ostream& console);

}  // namespace quillery
