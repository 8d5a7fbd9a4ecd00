/* A DLL with the product's export names in the C calling convention: the
   static check must reject it, since a host that pushes stdcall arguments
   would be left with an unbalanced stack. */
__declspec(dllexport) void BizGetDevInfo(char* b, int* i1, int* i2) { (void)b, (void)i1, (void)i2; }
__declspec(dllexport) void BizInit(int a, const char* p, void* h, int b) { (void)a, (void)p, (void)h, (void)b; }
__declspec(dllexport) void BizUninit(void) {}
__declspec(dllexport) void* BizEntry(int f, void* p, void* n, void* h, int s) {
  (void)f, (void)n, (void)h, (void)s;
  return p;
}
