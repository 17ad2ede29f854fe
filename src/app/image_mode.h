#pragma once
// quillmar --image OUT.bmp [--width PX] [--font NAME] [--utf8] [--timeout SECONDS]
// [--max-size MB] TARGET: loads the page as --dump does and writes the whole laid-out page as
// one BMP image, the same export as Ctrl+P in the window.

#include <ostream>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace qm {

class TextRasterizer;

// Whether the arguments after "--image" name a system font, which only the window program can
// draw; the command then runs there.
bool ImageModeNeedsFonts(const std::vector<std::string>& args);

// args are the arguments after "--image"; rasterizer draws the system font of --font (null
// without one). Exit status as --dump's: 0 done, 1 the page could not be loaded, a stop signal
// came or the image could not be written, 2 bad arguments or a missing file.
int RunImageMode(const std::vector<std::string>& args, std::ostream& err,
                 CommandEnvironment& environment, TextRasterizer* rasterizer);

} // namespace qm
