/* Version of the tagsmith library: feeds its version resource and the code. */
#ifndef TAGSMITH_VERSION_H
#define TAGSMITH_VERSION_H

#define TAGSMITH_VERSION_BINARY 1, 0, 0, 1
#define TAGSMITH_VERSION_TEXT "1.0.0.1"
#define TAGSMITH_COMPANY_TEXT "Tarnwick"

#endif
