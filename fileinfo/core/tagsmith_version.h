/* Version of the tagsmith library: feeds its version resource and the code. */
#ifndef TAGSMITH_VERSION_H
#define TAGSMITH_VERSION_H

#include "common/version.h"

#define TAGSMITH_VERSION_BINARY TW_VERSION_BINARY
#define TAGSMITH_VERSION_TEXT TW_VERSION_TEXT
#define TAGSMITH_COMPANY_TEXT "Tarnwick"

#endif
