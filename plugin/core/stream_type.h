// The MIME type the older table generation substitutes for a new stream.
#pragma once

namespace npkirra {

// Looks at the text from the URL's last "." to its end, ignoring ASCII case:
// ".jpg"/".jpeg" give "image/jpeg", ".gif" "image/gif", ".pdf"
// "application/pdf". Anything else (no ".", or more text after the
// extension) gives null: the browser's own type stands.
const char* guessStreamType(const char* url);

}  // namespace npkirra
