/* A program that is only ever read, never run: what --app is tested on. */
#ifdef OPTIMUS
/* Asks NVIDIA's driver for the high-performance GPU, as games do. */
__declspec(dllexport) unsigned long NvOptimusEnablement = 1;
#endif
#ifdef USES_OPENGL
void __stdcall glFlush(void);
#endif

#if defined(LIBRARY)
__declspec(dllexport) int library(void) { return 0; }
#elif defined(BARE)
/* A driver's or an EFI application's entry, with no C runtime. */
int entry(void) { return 0; }
#else
int main(void) {
#ifdef USES_OPENGL
    glFlush();
#endif
    return 0;
}
#endif
