// The terminal command morvane: converts files and folders into the
// destination folder as the Explorer command does, and keeps the destination
// folder in the per-user registry store.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace morvane {

// Exit statuses.
constexpr int kExitSuccess = 0;
constexpr int kExitFailed = 1;  // a conversion or the registry store failed
constexpr int kExitUsage = 2;   // bad options or operands; nothing was done

struct TerminalIo {
  std::ostream& out;
  std::ostream& err;
  std::istream& in;
  bool interactive;          // in is a terminal
  std::string registryPath;  // file of the per-user registry store
  // The SOURCE_DATE_EPOCH of the environment, when set: conversion comments
  // then carry that instant in UTC.
  const char* sourceDateEpoch = nullptr;
};

// Runs the command with args (without the program name) and returns the exit
// status.
int runMorvane(const std::vector<std::string>& args, TerminalIo& io);

}  // namespace morvane
