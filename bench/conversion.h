// One in-memory conversion as the benchmarks time it, and the memchr scan
// they compare it with.
#pragma once

#include <cstddef>
#include <string>

namespace bench {

// Converts page with a fresh context and script collection, as a converter
// does for each page. The output is held whole, or with handOn handed on in
// parts as convertFile does, to a sink that forgets it. Returns the bytes of
// output.
std::size_t convertPage(const std::string& page, bool handOn);

// Walks page from "<" to "<" with memchr and copies the runs between them
// into out (cleared first). Returns the number of "<".
std::size_t memchrScan(const std::string& page, std::string& out);

// The least a converter must do to a page it leaves as it is, done 32 bytes
// at a time with the compiler's vector extensions: finds every "<", tests the
// first letter of the tag name behind it against the letters of the tags the
// engine handles (o, s, e, b, i, f and "/"), and copies the page into out
// (cleared first) in runs. Returns the number of tags whose letter matched.
std::size_t vectorWalk(const std::string& page, std::string& out);

}  // namespace bench
