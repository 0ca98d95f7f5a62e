// Writes 24-bit RGB images as PNG files (stored, uncompressed deflate), enough
// for screenshots of the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace uitest {

// rgb holds height rows of width pixels, 3 bytes each, top row first.
bool writePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);

}  // namespace uitest
