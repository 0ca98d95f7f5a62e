// The terminal converter: `veradoc [--ods] [--yes] SOURCE DEST` runs the
// dialog's conversion procedure with terminal services.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace desktop {

// Exit statuses of the terminal converter.
constexpr int kExitConverted = 0;
constexpr int kExitConversionFailed = 1;
constexpr int kExitNotConverted = 2;  // bad usage, missing source, refused overwrite

// The terminal the converter talks to. interactive says whether questions can
// be asked on in (a terminal); otherwise only --yes answers them.
struct Terminal {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool interactive;
  // The SOURCE_DATE_EPOCH of the environment, when set: conversion comments
  // then carry that instant in UTC, so that the same page converts to the
  // same bytes.
  const char* sourceDateEpoch = nullptr;
};

// Runs the converter on args (without the program name) and returns the exit
// status. Boxes of the procedure print their text: errors on err, results on out.
int runTerminalConverter(const std::vector<std::string>& args, Terminal& terminal);

}  // namespace desktop
