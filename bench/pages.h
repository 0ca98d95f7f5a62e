// Generated pages for benchmarks and linear-time checks.
#pragma once

#include <cstddef>
#include <string>

namespace bench {

// Prose with a few paragraph and link tags: what most of a real page is.
std::string plainTextPage(std::size_t bytes);
// Markup dense with ordinary tags (tables, links, images, comments) that the
// converter passes through.
std::string tagDensePage(std::size_t bytes);
// Markup dense with what the converter rewrites: objects with params,
// VBScript and JavaScript blocks, inputs outside forms, body handlers.
std::string convertiblePage(std::size_t bytes);

}  // namespace bench
