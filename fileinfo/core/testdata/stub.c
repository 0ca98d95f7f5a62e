/* Smallest possible images for the version-resource tests: no C runtime,
   an entry point that does nothing, and whatever resources the .rc adds. */
int __stdcall DllEntry(void* module, unsigned long reason, void* reserved) {
  (void)module; (void)reason; (void)reserved;
  return 1;
}

int ExeEntry(void) { return 0; }
