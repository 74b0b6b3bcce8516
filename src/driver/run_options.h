// RunOptions: the settings of one run, filled from the command line.
#pragma once

namespace quillery {

// Settled before any file is read, only read afterwards.
struct RunOptions {
  // Colour whose references are expanded and whose quads are split; a
  // negative value means no key colour (Rect mode, every quad).
  int keyColor = -1;
  bool expandPrimitivesEnabled = true;  // -r clears it
  bool splitQuadsEnabled = true;        // -q clears it
  bool manageCondLines = true;          // -c clears it
  bool uncolorEnabled = false;          // -u sets it
};

}  // namespace quillery
